// The temporary file a compaction writes into, beside the database.
#include <gtest/gtest.h>
#include <string>
#include "transfer.h"

TEST(CompactTempName, TheTemporaryFileTakesThePlaceOfTheFileNamesExtension)
{
    const struct {
        const char* path;
        const char* temp;
    } cases[] = {
        {"C:\\Varnholt\\NflSummary.mdb", "C:\\Varnholt\\NflSummary.tmp"},
        {"C:\\data\\summary", "C:\\data\\summary.tmp"},
        {"C:\\Users\\first.last\\db.mdb", "C:\\Users\\first.last\\db.tmp"},
        {"\\\\srv.corp\\share\\db.mdb", "\\\\srv.corp\\share\\db.tmp"},
        {"C:\\rel.2\\summary", "C:\\rel.2\\summary.tmp"},
        {"C:\\data\\summary.2024.mdb", "C:\\data\\summary.2024.tmp"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::string(transfer::CompactTempName(c.path)), c.temp) << c.path;
}
