// The message log: appending, the cut to three quarters of the limit, and the
// catch lines of guarded calls.
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include "catch_lines.h"
#include "quillmere_dlg.h"
#include "test_app.h"

namespace {
class MessageLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp().Reset();
        TestApp().answers = {IDOK};  // "Failed to open database!": the default database is not there
        ASSERT_TRUE(dlg.Create(CQuillmereDlg::IDD));
        // The start-up's box and log line are not what these tests look at.
        TestApp().Reset();
        dlg.m_editLog.SetWindowText("");
    }
    void TearDown() override { dlg.DestroyWindow(); }

    std::string Log() const
    {
        CString text;
        dlg.m_editLog.GetWindowText(text);
        return std::string(text);
    }
    std::pair<int, int> Selection() const
    {
        int start = -1, end = -1;
        dlg.m_editLog.GetSel(start, end);
        return {start, end};
    }
    // A log of n characters, distinct enough to see where a cut fell, with the
    // caret at its end as the program's own lines leave it.
    void FillLog(int n)
    {
        std::string text;
        for (int i = 0; i < n; ++i) text += static_cast<char>('a' + i % 26);
        dlg.m_editLog.SetWindowText(text.c_str());
        dlg.m_editLog.SetSel(n, n);
    }

    CQuillmereDlg dlg;
};

// Counts exceptions that are freed.
class CCountedException : public CException {
public:
    ~CCountedException() override { ++deleted; }
    static inline int deleted = 0;
};
} // namespace

TEST_F(MessageLog, LinesFollowOneAnotherWithTheCaretAtTheEnd)
{
    dlg.LogMessage("a");
    dlg.LogMessage("b");
    EXPECT_EQ(Log(), "a\r\nb\r\n");
    EXPECT_EQ(Selection(), std::make_pair(6, 6));
}

TEST_F(MessageLog, CutsToThreeQuartersOfTheLimit)
{
    dlg.m_editLog.SetLimitText(100);  // K = 75
    FillLog(70);
    std::string old = Log();
    dlg.LogMessage("0123456789");  // 12 characters with its line end: 82 < 100
    EXPECT_EQ(Log(), old + "0123456789\r\n");

    FillLog(95);
    old = Log();
    dlg.LogMessage("0123456789");  // 107 >= 100: the last 63 of the old log and the line
    EXPECT_EQ(Log(), old.substr(95 - 63) + "0123456789\r\n");
    EXPECT_EQ(Log().size(), 75u);
    EXPECT_EQ(Selection(), std::make_pair(75, 75));

    // Exactly at the limit also cuts: 88 + 12 = 100.
    FillLog(88);
    old = Log();
    dlg.LogMessage("0123456789");
    EXPECT_EQ(Log(), old.substr(88 - 63) + "0123456789\r\n");
}

TEST_F(MessageLog, LongMessageKeepsOnlyItsTail)
{
    dlg.m_editLog.SetLimitText(100);
    std::string message;
    for (int i = 0; i < 200; ++i) message += static_cast<char>('A' + i % 26);
    dlg.LogMessage(message.c_str());
    std::string expected = (message + "\r\n").substr(202 - 75);
    EXPECT_EQ(Log(), expected);
}

TEST_F(MessageLog, DefaultLimitIsTheControlsOwn)
{
    // No limit is ever set on the log: L is what the control reports by default,
    // and a log that reaches it is cut to (3 * L) / 4 characters.
    const UINT limit = dlg.m_editLog.GetLimitText();
    ASSERT_GT(limit, 100u);
    ASSERT_LT(limit, 1u << 20) << "a default this large is not filled in a test";
    FillLog(static_cast<int>(limit) - 5);
    dlg.LogMessage("xyz");
    EXPECT_EQ(Log().size(), static_cast<size_t>((3u * limit) / 4u));
    EXPECT_EQ(Log().substr(Log().size() - 5), "xyz\r\n");
}

TEST_F(MessageLog, CatchLinesByExceptionClass)
{
    dlg.LogException(new CMemoryException);
    CCountedException::deleted = 0;
    dlg.LogException(new CCountedException);
    EXPECT_EQ(CCountedException::deleted, 1);
    EXPECT_EQ(Log(), "non DAO--Memory exception thrown.\r\ngeneric catch thread not null\r\n");

    // A thread without a thread object of the framework.
    std::string line;
    std::thread([&] {
        CException e(FALSE);
        line = std::string(CatchLine(&e));
    }).join();
    EXPECT_EQ(line, "generic catch no thread");
}

TEST_F(MessageLog, GuardedCallsLogAndGoOn)
{
    int before = 0, after = 0;
    dlg.RunGuarded([&] {
        ++before;
        AfxThrowMemoryException();
    });
    dlg.RunGuarded([&] {
        ++before;
        throw std::bad_alloc();
    });
    dlg.RunGuarded([&] {
        ++before;
        throw new CCountedException;
    });
    ++after;
    dlg.RunGuarded([&] { ++before; });
    EXPECT_EQ(before, 4);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(Log(),
              "non DAO--Memory exception thrown.\r\nnon DAO--Memory exception thrown.\r\n"
              "generic catch thread not null\r\n");
    EXPECT_TRUE(TestApp().boxes.empty());
}
