// feed: the other system a viewer watches on game day. It keeps changing the
// summary database the way a live scoring feed would: scores, the game clock
// and play-by-play notes of a few games still in progress, and the statistics
// of a few players, every few hundred milliseconds until stopped.
//
//   feed FILE [--interval MS] [--rounds N] [--games N] [--seed N] [--quiet]
//
// Each round changes one game (score, "Final" off, a note appended, so the
// memo grows until it starts again short) and two players (yards, rating,
// completion, last update). Every change is one edit/update of the engine,
// written when it returns. A round that meets another user's lock is told on
// stderr and skipped; the feed goes on. With --rounds it stops after N rounds
// and prints the last scores it wrote ("final: GAME HOME-AWAY ..."), which the
// tests compare with what others read.
#include "jet/jet.h"
#include "jet/text.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>

namespace {

std::atomic<bool> g_stop{false};

void on_signal(int) { g_stop = true; }

struct Options {
    std::string file;
    long interval_ms = 300;
    long rounds = 0;  // 0: until stopped
    int games = 4;
    unsigned seed = 1;
    bool quiet = false;
};

int usage()
{
    std::fputs("usage: feed FILE [--interval MS] [--rounds N] [--games N] [--seed N] [--quiet]\n", stderr);
    return 2;
}

jet::Value long_value(std::int32_t v)
{
    jet::Value value;
    value.set_long(v);
    return value;
}

jet::Value text_value(const std::string& utf8)
{
    const std::u16string text = jet::to_utf16(utf8);
    jet::Value value;
    value.set_text(text.data(), text.size());
    return value;
}

// The OLE date of now (days since 1899-12-30, UTC).
double ole_now()
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    return 25569.0 + static_cast<double>(seconds) / 86400.0;
}

// Moves the dynaset to the record whose first field holds `id`; false when
// there is none.
bool seek(jet::Dynaset& d, std::int32_t id)
{
    for (d.move_first(); !d.is_eof(); d.move_next())
        if (d.value(0).long_integer() == id) return true;
    return false;
}

class Feed {
public:
    Feed(jet::Database& db, const Options& options) : db_(db), options_(options), random_(options.seed)
    {
        // The live games are the last ones of the season.
        jet::Snapshot games = db_.open_snapshot("SELECT TOP 1000 [GameId] FROM Games");
        for (; !games.is_eof(); games.move_next()) last_game_ = std::max(last_game_, games.value(0).long_integer());
        jet::Snapshot players = db_.open_snapshot("SELECT TOP 1000 [PlayerId] FROM PlayerStats");
        for (; !players.is_eof(); players.move_next())
            player_count_ = std::max(player_count_, players.value(0).long_integer());
    }

    void round(long n)
    {
        const std::int32_t game = last_game_ - static_cast<std::int32_t>(n % options_.games);
        score(game, n);
        for (int i = 0; i < 2; ++i) player(1 + static_cast<std::int32_t>(random_() % player_count_));
    }

    const std::map<std::int32_t, std::pair<int, int>>& scores() const { return scores_; }

private:
    void score(std::int32_t game, long n)
    {
        jet::Dynaset d = db_.open_dynaset(
            "SELECT TOP 1000 [GameId], [HomeTeam], [AwayTeam], [HomeScore], [AwayScore], [Final], [Notes] FROM Games");
        if (!seek(d, game)) return;
        static const int kPlays[] = {7, 3, 6, 2, 1, 0};
        const bool home = random_() % 2 == 0;
        const int points = kPlays[random_() % (sizeof kPlays / sizeof kPlays[0])];
        const int column = home ? 3 : 4;
        const int home_score = d.value(3).is_null() ? 0 : d.value(3).integer();
        const int away_score = d.value(4).is_null() ? 0 : d.value(4).integer();
        const int new_home = home ? home_score + points : home_score;
        const int new_away = home ? away_score : away_score + points;

        const jet::Value notes = d.value(6);
        std::string text = notes.is_null() ? std::string() : jet::to_utf8(notes.text());
        const int quarter = 1 + static_cast<int>((n / options_.games) % 4);
        const int clock = 900 - static_cast<int>((n * 37) % 900);
        char line[160];
        std::snprintf(line, sizeof line, "Q%d %02d:%02d %s %s. ", quarter, clock / 60, clock % 60,
                      jet::to_utf8(d.value(home ? 1 : 2).text()).c_str(),
                      points == 7 ? "touchdown" : points == 3 ? "field goal" : points == 6 ? "touchdown, kick missed"
                                 : points == 2 ? "safety" : points == 1 ? "extra point" : "punt");
        // The notes grow play by play and start again short: lengths change
        // both ways, across the memo's one-page and chained forms.
        if (!text.empty() && text.back() != ' ') text += ' ';
        text = text.size() > 3000 ? std::string(line) : text + line;

        d.edit();
        jet::Value value;
        value.set_integer(static_cast<std::int16_t>(home ? new_home : new_away));
        d.set_value(column, value);
        value.set_boolean(false);
        d.set_value(5, value);
        d.set_value(6, text_value(text));
        d.update();
        scores_[game] = {new_home, new_away};
        if (!options_.quiet)
            std::printf("game %d: %d-%d, notes %zu characters\n", static_cast<int>(game), new_home, new_away,
                        text.size());
    }

    void player(std::int32_t id)
    {
        jet::Dynaset d = db_.open_dynaset(
            "SELECT TOP 1000 [PlayerId], [PassYards], [RushYards], [Rating], [CompletionPct], [LastUpdated] "
            "FROM PlayerStats");
        if (!seek(d, id)) return;
        const std::int32_t pass = d.value(1).is_null() ? 0 : d.value(1).long_integer();
        const std::int32_t rush = d.value(2).is_null() ? 0 : d.value(2).long_integer();
        d.edit();
        d.set_value(1, long_value(pass + static_cast<std::int32_t>(random_() % 25)));
        d.set_value(2, long_value(rush + static_cast<std::int32_t>(random_() % 9)));
        jet::Value value;
        value.set_double(40.0 + static_cast<double>(random_() % 800) / 10.0);
        d.set_value(3, value);
        value.set_single(45.0f + static_cast<float>(random_() % 300) / 10.0f);
        d.set_value(4, value);
        value.set_date(ole_now());
        d.set_value(5, value);
        d.update();
    }

    jet::Database& db_;
    const Options& options_;
    std::mt19937 random_;
    std::int32_t last_game_ = 0;
    std::int32_t player_count_ = 1;
    std::map<std::int32_t, std::pair<int, int>> scores_;
};

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--interval" && (v = next())) options.interval_ms = std::atol(v);
        else if (arg == "--rounds" && (v = next())) options.rounds = std::atol(v);
        else if (arg == "--games" && (v = next())) options.games = std::max(1, std::atoi(v));
        else if (arg == "--seed" && (v = next())) options.seed = static_cast<unsigned>(std::atol(v));
        else if (arg == "--quiet") options.quiet = true;
        else if (options.file.empty() && arg[0] != '-') options.file = arg;
        else return usage();
    }
    if (options.file.empty()) return usage();
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);

    try {
        jet::Database db(options.file);
        Feed feed(db, options);
        long failed = 0, done = 0;
        for (long n = 0; !g_stop && (options.rounds == 0 || done < options.rounds); ++n) {
            try {
                feed.round(n);
                ++done;
            } catch (const jet::Error& e) {
                // Another user's lock: this round's change waits for the next.
                if (e.number() != jet::kCouldNotUpdateLockedBy && e.number() != jet::kCouldNotUpdateLocked) throw;
                ++failed;
                std::fprintf(stderr, "feed: %s\n", e.description().c_str());
            }
            if (options.interval_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.interval_ms));
        }
        std::printf("feed: %ld rounds, %ld met a lock\nfinal:", done, failed);
        for (const auto& [game, score] : feed.scores()) std::printf(" %d %d-%d", game, score.first, score.second);
        std::printf("\n");
        return 0;
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "feed: %s\n", e.description().c_str());
        return 1;
    }
}
