// feed: the other system a viewer watches on game day. It keeps changing the
// summary database the way a live scoring feed would: scores, the game clock
// and play-by-play notes of a few games still in progress, and the statistics
// of a few players, every few hundred milliseconds until stopped.
//
//   feed FILE [--interval MS] [--rounds N] [--games N] [--seed N] [--quiet]
//        [--record RECORD]
//
// Each round changes one game (score, "Final" off, a note appended, so the
// memo grows until it starts again short) and two players (yards, rating,
// completion, last update). Every change is one edit/update of the engine,
// written when it returns. A round that meets another user (a lock held too
// long, or a record changed since it was read) is told on stderr and
// skipped; the feed goes on. Nobody else is meant to change what it writes:
// a record found, when the feed comes back to it, to no longer hold what the
// feed wrote there last is told on stderr ("... no longer holds what the
// feed wrote last ..."): another user's update overwrote it. With --rounds
// it stops after N rounds, and SIGINT or SIGTERM stop it after the round
// under way; either way it prints "feed: N rounds, C met another user, L
// records found changed by another" and the last scores it wrote
// ("final: GAME HOME-AWAY ..."), which the tests compare with what others
// read.
//
// --record RECORD: at the end the feed writes into RECORD the values of its
// last completed update of every record it changed (an update that threw
// wrote nothing and counts for nothing), one record a line, fields separated
// by tabs:
//
//   game   GameId HomeScore AwayScore Final Notes
//   player PlayerId PassYards RushYards Rating CompletionPct LastUpdated
//
// Integers in decimal, Final as 0 or 1, NULL for a null, Rating and
// CompletionPct in the shortest decimal form that reads back to the same
// double and single, LastUpdated as YYYY-MM-DDTHH:MM:SS (rounded to the
// second), Notes as its text with backslash, tab, line feed and carriage
// return written as \\, \t, \n and \r. The score the round did not change
// is the one the feed read in that update's record.
#include "jet/jet.h"
#include "jet/base/text.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

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
    std::string record;  // where the last written values go, if anywhere
};

int usage()
{
    std::fputs("usage: feed FILE [--interval MS] [--rounds N] [--games N] [--seed N] [--quiet]"
               " [--record FILE]\n", stderr);
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

// The record file's forms of a value (see the top of this file).
std::string number_text(double v)
{
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string number_text(float v)
{
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string date_text(double v)
{
    jet::DateParts p;
    if (!jet::split_date(v, p)) return number_text(v);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02uT%02u:%02u:%02u", static_cast<int>(p.year), p.month, p.day, p.hour,
                  p.minute, p.second);
    return buf;
}

std::string escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

// A field's text in the record file.
std::string field_text(const jet::Value& v)
{
    switch (v.kind()) {
    case jet::ValueKind::Null: return "NULL";
    case jet::ValueKind::Boolean: return v.boolean() ? "1" : "0";
    case jet::ValueKind::Integer: return std::to_string(v.integer());
    case jet::ValueKind::Long: return std::to_string(v.long_integer());
    case jet::ValueKind::Single: return number_text(v.single());
    case jet::ValueKind::Double: return number_text(v.double_value());
    case jet::ValueKind::Date: return date_text(v.date());
    case jet::ValueKind::Text: return escaped(jet::to_utf8(v.text()));
    default: return "?";  // no such field is recorded
    }
}

using Fields = std::vector<std::string>;

// The feed's last completed update of each record of one kind it changed,
// field by field as the record file holds them (the key first). Nobody
// else changes these fields, so a record that no longer holds them when the
// feed comes back to it lost an update to another user: that is told on
// stderr and counted.
class Written {
public:
    Written(const char* kind, std::vector<const char*> names) : kind_(kind), names_(std::move(names)) {}

    void check(std::int32_t id, const Fields& now)
    {
        const auto it = last_.find(id);
        if (it == last_.end() || it->second == now) return;
        ++overwritten_;
        std::string which;
        for (std::size_t i = 0; i < now.size() && i < names_.size(); ++i)
            if (now[i] != it->second[i]) which += std::string(which.empty() ? "" : ", ") + names_[i];
        std::fprintf(stderr, "feed: %s %d no longer holds what the feed wrote last (%s)\n", kind_,
                     static_cast<int>(id), which.c_str());
    }
    void set(std::int32_t id, Fields fields) { last_[id] = std::move(fields); }

    void write(std::FILE* f) const
    {
        for (const auto& [id, fields] : last_) {
            std::fputs(kind_, f);
            for (const std::string& field : fields) std::fprintf(f, "\t%s", field.c_str());
            std::fputc('\n', f);
        }
    }
    long overwritten() const { return overwritten_; }

private:
    const char* kind_;
    std::vector<const char*> names_;
    std::map<std::int32_t, Fields> last_;
    long overwritten_ = 0;
};

// The fields `columns` of the dynaset's current record, as recorded.
Fields record_fields(const jet::Dynaset& d, std::initializer_list<int> columns)
{
    Fields out;
    for (const int c : columns) out.push_back(field_text(d.value(c)));
    return out;
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

    // Writes the record file; false when it cannot be written.
    bool write_record(const std::string& path) const
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        if (!f) return false;
        games_.write(f);
        players_.write(f);
        return std::fclose(f) == 0;
    }
    long overwritten() const { return games_.overwritten() + players_.overwritten(); }

private:
    void score(std::int32_t game, long n)
    {
        jet::Dynaset d = db_.open_dynaset(
            "SELECT TOP 1000 [GameId], [HomeTeam], [AwayTeam], [HomeScore], [AwayScore], [Final], [Notes] FROM Games");
        if (!seek(d, game)) return;
        Fields fields = record_fields(d, {0, 3, 4, 5, 6});
        games_.check(game, fields);
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
        jet::Value score, final;
        score.set_integer(static_cast<std::int16_t>(home ? new_home : new_away));
        d.set_value(column, score);
        final.set_boolean(false);
        d.set_value(5, final);
        const jet::Value notes_now = text_value(text);
        d.set_value(6, notes_now);
        d.update();
        d.close();  // written now, and a failure told here
        scores_[game] = {new_home, new_away};
        // The score left alone stays as read, NULL included.
        fields[home ? 1 : 2] = field_text(score);
        fields[3] = field_text(final);
        fields[4] = field_text(notes_now);
        games_.set(game, std::move(fields));
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
        players_.check(id, record_fields(d, {0, 1, 2, 3, 4, 5}));
        const std::int32_t pass = d.value(1).is_null() ? 0 : d.value(1).long_integer();
        const std::int32_t rush = d.value(2).is_null() ? 0 : d.value(2).long_integer();
        const std::int32_t new_pass = pass + static_cast<std::int32_t>(random_() % 25);
        const std::int32_t new_rush = rush + static_cast<std::int32_t>(random_() % 9);
        std::vector<jet::Value> values(6);
        values[0] = d.value(0);
        values[1] = long_value(new_pass);
        values[2] = long_value(new_rush);
        values[3].set_double(40.0 + static_cast<double>(random_() % 800) / 10.0);
        values[4].set_single(45.0f + static_cast<float>(random_() % 300) / 10.0f);
        values[5].set_date(ole_now());
        d.edit();
        for (int i = 1; i < 6; ++i) d.set_value(i, values[static_cast<std::size_t>(i)]);
        d.update();
        d.close();
        Fields fields;
        for (const jet::Value& v : values) fields.push_back(field_text(v));
        players_.set(id, std::move(fields));
    }

    jet::Database& db_;
    const Options& options_;
    std::mt19937 random_;
    std::int32_t last_game_ = 0;
    std::int32_t player_count_ = 1;
    std::map<std::int32_t, std::pair<int, int>> scores_;
    Written games_{"game", {"GameId", "HomeScore", "AwayScore", "Final", "Notes"}};
    Written players_{"player", {"PlayerId", "PassYards", "RushYards", "Rating", "CompletionPct", "LastUpdated"}};
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
        else if (arg == "--record" && (v = next())) options.record = v;
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
                // Another user's lock, or a record another user changed
                // since this round read it: the change waits for a later
                // round, which starts from what is in the file then.
                if (e.number() != jet::kCouldNotUpdateLockedBy && e.number() != jet::kCouldNotUpdateLocked &&
                    e.number() != jet::kDataChanged)
                    throw;
                ++failed;
                std::fprintf(stderr, "feed: %s\n", e.description().c_str());
            }
            if (options.interval_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.interval_ms));
        }
        std::printf("feed: %ld rounds, %ld met another user, %ld records found changed by another\nfinal:", done,
                    failed, feed.overwritten());
        for (const auto& [game, score] : feed.scores()) std::printf(" %d %d-%d", game, score.first, score.second);
        std::printf("\n");
        if (!options.record.empty() && !feed.write_record(options.record)) {
            std::fprintf(stderr, "feed: cannot write %s\n", options.record.c_str());
            return 1;
        }
        return 0;
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "feed: %s\n", e.description().c_str());
        return 1;
    }
}
