// The console runner: line splitting rules, and real children writing in controlled pieces.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "discovery/DosCommand.h"

using discovery::LineSplitter;
using discovery::TDosCommand;
using discovery::TOutputType;

namespace {

using Events = QList<QPair<QString, int>>;

Events split(const QStringList& pieces, bool finish = true) {
    Events out;
    LineSplitter s;
    const auto sink = [&](const QString& l, TOutputType t) { out.append({l, int(t)}); };
    for (const auto& p : pieces) s.feed(p, sink);
    if (finish) s.finish(sink);
    return out;
}

struct Recorder {
    Events lines;
    int terminateAsked = 0;
    void attach(TDosCommand& c) {
        c.OnNewLine = [this](QObject*, const QString& l, TOutputType t) {
            lines.append({l, int(t)});
        };
        c.OnTerminateProcess = [this](QObject*, bool& may) {
            ++terminateAsked;
            may = true;
        };
    }
};

// Processes events until the runner has finished; false after `ms`.
bool waitDone(TDosCommand& c, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (c.IsRunning() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !c.IsRunning();
}

Events complete(const Events& e) {
    Events out;
    for (const auto& x : e)
        if (x.second == 0) out << x;
    return out;
}

}  // namespace

TEST(DiscoveryLineSplitter, CrLfInOnePieceAndPartialLine) {
    EXPECT_EQ(split({"a\r\nb"}), (Events{{"a", 0}, {"b", 1}, {"b", 0}}));
}

TEST(DiscoveryLineSplitter, CrAtEndAndLfAtStartOfNextGiveExtraEmptyLine) {
    EXPECT_EQ(split({"a\r", "\nb\n"}), (Events{{"a", 0}, {"", 0}, {"b", 0}}));
    EXPECT_EQ(split({"a\r\n", "b\n"}), (Events{{"a", 0}, {"b", 0}}));
}

TEST(DiscoveryLineSplitter, NulDroppedLoneCrAndLfEndLines) {
    EXPECT_EQ(split({QString("x") + QChar(0) + "y\rz\n\n"}),
              (Events{{"xy", 0}, {"z", 0}, {"", 0}}));
    EXPECT_EQ(split({"\n\r"}), (Events{{"", 0}, {"", 0}}));
}

TEST(DiscoveryLineSplitter, PartialLinesGrowAcrossPieces) {
    EXPECT_EQ(split({"ab", "cd", "e\nf"}, false),
              (Events{{"ab", 1}, {"abcd", 1}, {"abcde", 0}, {"f", 1}}));
    EXPECT_EQ(split({"ab\n"}, true), (Events{{"ab", 0}}));  // nothing pending at the end
}

TEST(DiscoveryDosCommand, RealChildLinesStdoutAndStderrShareThePipe) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine =
        "sh -c \"printf 'one\\r\\ntwo'; sleep 0.3; printf ' more\\n' 1>&2; printf tail\"";
    c.Execute();
    EXPECT_TRUE(c.IsRunning());
    ASSERT_TRUE(waitDone(c));
    EXPECT_EQ(complete(r.lines), (Events{{"one", 0}, {"two more", 0}, {"tail", 0}}));
    EXPECT_TRUE(r.lines.contains(qMakePair(QString("two"), 1)));
    EXPECT_EQ(c.ExitCode(), 0);
    EXPECT_EQ(r.terminateAsked, 0);
}

TEST(DiscoveryDosCommand, CrAndLfInSeparateWritesGiveEmptyLine) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = "sh -c \"printf 'a\\r'; sleep 0.3; printf '\\nb\\n'\"";
    c.Execute();
    ASSERT_TRUE(waitDone(c));
    EXPECT_EQ(complete(r.lines), (Events{{"a", 0}, {"", 0}, {"b", 0}}));
}

TEST(DiscoveryDosCommand, LongOutputIsReadInPiecesAndNothingIsLost) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = "sh -c \"seq 1 5000\"";
    c.Execute();
    ASSERT_TRUE(waitDone(c));
    const Events lines = complete(r.lines);
    ASSERT_EQ(lines.size(), 5000);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(lines[i].first, QString::number(i + 1));
}

TEST(DiscoveryDosCommand, ErrorsOfExecute) {
    TDosCommand c;
    EXPECT_THROW(
        {
            try {
                c.Execute();
            } catch (const discovery::DosCommandError& e) {
                EXPECT_STREQ(e.what(), "No Commandline to execute");
                throw;
            }
        },
        discovery::DosCommandError);
    c.CommandLine = "sleep 5";
    c.Execute();
    try {
        c.Execute();
        FAIL() << "second Execute must raise";
    } catch (const discovery::DosCommandError& e) {
        EXPECT_STREQ(e.what(), "DosCommand still running");
    }
    c.Stop();
    ASSERT_TRUE(waitDone(c));
}

TEST(DiscoveryDosCommand, MissingProgramEndsRunWithoutLines) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = "/nonexistent/velmor-no-such-tool -a";
    c.Execute();
    ASSERT_TRUE(waitDone(c));
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_TRUE(
        c.LastError().startsWith("Error creating Process: /nonexistent/velmor-no-such-tool -a - ("))
        << c.LastError().toStdString();
}

TEST(DiscoveryDosCommand, StopTerminatesAndDeliversPendingPartialLine) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = "sh -c \"printf 'half'; exec sleep 30\"";
    c.Execute();
    QElapsedTimer t;
    t.start();
    while (r.lines.isEmpty() && t.elapsed() < 3000) QCoreApplication::processEvents();
    ASSERT_EQ(r.lines.value(0), qMakePair(QString("half"), 1));
    c.Stop();
    ASSERT_TRUE(waitDone(c, 3000));
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(complete(r.lines), (Events{{"half", 0}}));
    EXPECT_EQ(r.terminateAsked, 1);
    EXPECT_EQ(c.ExitCode(), 128 + 9);
}

TEST(DiscoveryDosCommand, TimeLimitsEndTheChild) {
    {
        TDosCommand c;
        Recorder r;
        r.attach(c);
        c.MaxTimeAfterBeginning = 1;
        c.CommandLine = "sh -c \"while true; do echo tick; sleep 0.2; done\"";
        QElapsedTimer t;
        t.start();
        c.Execute();
        ASSERT_TRUE(waitDone(c, 5000));
        EXPECT_GE(t.elapsed(), 900);
        EXPECT_LT(t.elapsed(), 3500);
        EXPECT_EQ(r.terminateAsked, 1);
        EXPECT_GE(complete(r.lines).size(), 2);
    }
    {
        TDosCommand c;
        Recorder r;
        r.attach(c);
        c.MaxTimeAfterLastOutput = 1;
        c.CommandLine = "sh -c \"echo once; exec sleep 30\"";
        QElapsedTimer t;
        t.start();
        c.Execute();
        ASSERT_TRUE(waitDone(c, 5000));
        EXPECT_LT(t.elapsed(), 3500);
        EXPECT_EQ(r.terminateAsked, 1);
        EXPECT_EQ(complete(r.lines), (Events{{"once", 0}}));
    }
}

TEST(DiscoveryDosCommand, DestroyingARunningCommandEndsTheChild) {
    QElapsedTimer t;
    t.start();
    {
        TDosCommand c;
        c.CommandLine = "sleep 30";
        c.Execute();
    }
    EXPECT_LT(t.elapsed(), 3000);
}
