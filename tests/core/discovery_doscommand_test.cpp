// The console runner: line splitting rules (also as a property over random chunkings), and real
// children writing in controlled pieces.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <random>

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
    for (const auto& p : pieces) s.feedBytes(p.toUtf8(), sink);
    if (finish) s.finish(sink);
    return out;
}

Events splitBytes(const QList<QByteArray>& pieces) {
    Events out;
    LineSplitter s;
    const auto sink = [&](const QString& l, TOutputType t) { out.append({l, int(t)}); };
    for (const auto& p : pieces) s.feedBytes(p, sink);
    s.finish(sink);
    return out;
}

Events complete(const Events& e) {
    Events out;
    for (const auto& x : e)
        if (x.second == 0) out << x;
    return out;
}

// The lines of a whole output by the rule itself, written independently of the splitter: NUL
// bytes vanish, CR LF, CR and LF end a line, a last line without its end still counts.
QStringList referenceLines(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.remove(QChar(0));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    QStringList lines = text.split('\n');
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList texts(const Events& e) {
    QStringList out;
    for (const auto& x : e) out << x.first;
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

Events runToEnd(const QString& commandLine, int ms = 5000) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = commandLine;
    c.Execute();
    EXPECT_TRUE(waitDone(c, ms)) << commandLine.toStdString();
    return r.lines;
}

bool processAlive(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

}  // namespace

TEST(DiscoveryLineSplitter, CrLfInOnePieceAndPartialLine) {
    EXPECT_EQ(split({"a\r\nb"}), (Events{{"a", 0}, {"b", 1}, {"b", 0}}));
}

TEST(DiscoveryLineSplitter, CrLfCutBetweenPiecesIsStillOneLineEnd) {
    EXPECT_EQ(split({"a\r", "\nb\n"}), (Events{{"a", 0}, {"b", 0}}));
    EXPECT_EQ(split({"a\r\n", "b\n"}), (Events{{"a", 0}, {"b", 0}}));
    EXPECT_EQ(split({"a\r", "", "\n", "b"}), (Events{{"a", 0}, {"b", 1}, {"b", 0}}));
    // a CR that the next piece does not continue with LF ends its line alone
    EXPECT_EQ(split({"a\r", "b\r", "\r\n"}), (Events{{"a", 0}, {"b", 0}, {"", 0}}));
}

TEST(DiscoveryLineSplitter, NulDroppedLoneCrAndLfEndLines) {
    EXPECT_EQ(split({QString("x") + QChar(0) + "y\rz\n\n"}),
              (Events{{"xy", 0}, {"z", 0}, {"", 0}}));
    EXPECT_EQ(split({"\n\r"}), (Events{{"", 0}, {"", 0}}));
    EXPECT_EQ(split({"\r\n\r\n"}), (Events{{"", 0}, {"", 0}}));
}

TEST(DiscoveryLineSplitter, PartialLinesGrowAcrossPieces) {
    EXPECT_EQ(split({"ab", "cd", "e\nf"}, false),
              (Events{{"ab", 1}, {"abcd", 1}, {"abcde", 0}, {"f", 1}}));
    EXPECT_EQ(split({"ab\n"}, true), (Events{{"ab", 0}}));  // nothing pending at the end
}

TEST(DiscoveryLineSplitter, MultiByteCharacterCutBetweenReads) {
    const QByteArray word = QStringLiteral("Жук\n").toUtf8();  // Ж is D0 96
    EXPECT_EQ(complete(splitBytes({word.left(1), word.mid(1)})), (Events{{"Жук", 0}}));
    EXPECT_EQ(splitBytes({word.left(3), word.mid(3)}), (Events{{"Ж", 1}, {"Жук", 0}}));
    // a damaged character next to a line end, cut from it by the read: the end still counts
    const QString bad(QChar::ReplacementCharacter);
    EXPECT_EQ(complete(splitBytes({"a\xd0", "\rb\n"})), (Events{{"a" + bad, 0}, {"b", 0}}));
}

// Any chunking of the same bytes, damaged characters included, gives the same complete lines,
// and those are the lines of the rule; every beginning-of-line event is the start of the line
// that completes next.
TEST(DiscoveryLineSplitter, ChunkingNeverChangesTheLines) {
    std::mt19937 rng(20240607);
    // damaged characters too: a lead byte alone, a continuation byte alone, a cut sequence
    const QList<QByteArray> alphabet = {"a", "b", "\r",   "\n",   QByteArray(1, '\0'), "\r", "\n",
                                        "Ж", "ё", "\xd0", "\x82", "\xe2\x82",          " "};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int length = int(rng() % 24);
        for (int i = 0; i < length; ++i) bytes += alphabet[rng() % alphabet.size()];
        QList<QByteArray> pieces;
        for (int at = 0; at < bytes.size();) {
            const int n = 1 + int(rng() % 4);
            pieces << bytes.mid(at, n);
            if (rng() % 5 == 0) pieces << QByteArray();  // an empty read
            at += n;
        }
        const Events whole = splitBytes({bytes});
        const Events chunked = splitBytes(pieces);
        const QString shown = QString::fromLatin1(bytes.toPercentEncoding());
        ASSERT_EQ(complete(chunked), complete(whole)) << shown.toStdString();
        ASSERT_EQ(texts(complete(whole)), referenceLines(bytes)) << shown.toStdString();
        for (int i = 0; i < chunked.size(); ++i) {
            if (chunked[i].second != 1) continue;
            int next = i + 1;
            while (next < chunked.size() && chunked[next].second != 0) ++next;
            ASSERT_LT(next, chunked.size()) << shown.toStdString();
            ASSERT_TRUE(chunked[next].first.startsWith(chunked[i].first)) << shown.toStdString();
        }
    }
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

TEST(DiscoveryDosCommand, CrAndLfInSeparateWritesGiveTheLinesOfOneWrite) {
    const Events apart = runToEnd("sh -c \"printf 'a\\r'; sleep 0.3; printf '\\nb\\r\\n'\"");
    const Events together = runToEnd("sh -c \"printf 'a\\r\\nb\\r\\n'\"");
    EXPECT_EQ(complete(apart), (Events{{"a", 0}, {"b", 0}}));
    EXPECT_EQ(complete(apart), complete(together));
}

// A real child writes the same bytes in random pieces with pauses between them, so that the
// runner reads them apart; the lines are those of the whole output.
TEST(DiscoveryDosCommand, RealChildWritingInRandomPiecesGivesTheSameLines) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bytes = QByteArray("first\r\nsecond\rthird\n\nЖ") + QByteArray(1, '\0') +
                             QByteArray("ук\r\n\r\nlast");
    const QString file = dir.filePath("out.bin");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const QStringList expected = referenceLines(bytes);
    ASSERT_EQ(expected, (QStringList{"first", "second", "third", "", "Жук", "", "last"}));
    std::mt19937 rng(7);
    for (int round = 0; round < 2; ++round) {
        QStringList steps;
        for (int at = 0; at < bytes.size();) {
            const int n = 1 + int(rng() % 5);
            steps << QStringLiteral("dd if='%1' bs=1 skip=%2 count=%3 status=none; sleep 0.02")
                         .arg(file)
                         .arg(at)
                         .arg(n);
            at += n;
        }
        const Events lines = runToEnd("sh -c \"" + steps.join("; ") + "\"", 15000);
        EXPECT_EQ(texts(complete(lines)), expected) << steps.join('\n').toStdString();
    }
    // the cut right between CR and LF, and inside the two bytes of Ж
    const auto cutAt = [&](QList<int> cuts) {
        QStringList steps;
        cuts.prepend(0);
        cuts.append(int(bytes.size()));
        for (int i = 0; i + 1 < cuts.size(); ++i)
            steps << QStringLiteral("dd if='%1' bs=1 skip=%2 count=%3 status=none; sleep 0.2")
                         .arg(file)
                         .arg(cuts[i])
                         .arg(cuts[i + 1] - cuts[i]);
        return texts(complete(runToEnd("sh -c \"" + steps.join("; ") + "\"", 15000)));
    };
    EXPECT_EQ(cutAt({6, int(bytes.indexOf("Ж")) + 1}), expected);
}

TEST(DiscoveryDosCommand, LongOutputIsReadInPiecesAndNothingIsLost) {
    const Events lines = complete(runToEnd("sh -c \"seq 1 5000\""));
    ASSERT_EQ(lines.size(), 5000);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(lines[i].first, QString::number(i + 1));
}

// What the child wrote just before its end is delivered, then its partial last line, then the
// end; nothing arrives before the event loop runs.
TEST(DiscoveryDosCommand, OutputDrainedAfterTheChildEndsThenTheEnd) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    int finishedSignals = 0;
    int linesAtEnd = -1;
    QObject::connect(&c, &TDosCommand::finished, [&] {
        ++finishedSignals;
        linesAtEnd = int(r.lines.size());
        EXPECT_FALSE(c.IsRunning());
    });
    c.CommandLine = "sh -c \"seq 1 20000; printf 'no end'; exit 3\"";
    c.Execute();
    EXPECT_TRUE(r.lines.isEmpty());
    ASSERT_TRUE(waitDone(c));
    const Events lines = complete(r.lines);
    ASSERT_EQ(lines.size(), 20001);
    EXPECT_EQ(lines[19999].first, "20000");
    EXPECT_EQ(lines.last(), qMakePair(QString("no end"), 0));
    EXPECT_EQ(r.lines.last(), qMakePair(QString("no end"), 0));
    EXPECT_EQ(finishedSignals, 1);
    EXPECT_EQ(linesAtEnd, r.lines.size());
    EXPECT_EQ(c.ExitCode(), 3);
}

// A handler that processes events itself gets the later lines nested, still in order.
TEST(DiscoveryDosCommand, HandlerProcessingEventsKeepsTheOrder) {
    TDosCommand c;
    QStringList seen;
    c.OnNewLine = [&](QObject*, const QString& l, TOutputType t) {
        if (t != discovery::otEntireLine) return;
        seen << l;
        QElapsedTimer w;
        w.start();
        while (w.elapsed() < 30) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    c.CommandLine = "sh -c \"seq 1 20\"";
    c.Execute();
    ASSERT_TRUE(waitDone(c));
    QStringList expected;
    for (int i = 1; i <= 20; ++i) expected << QString::number(i);
    EXPECT_EQ(seen, expected);
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
    // a finished runner runs again
    Recorder r;
    r.attach(c);
    c.CommandLine = "echo again";
    c.Execute();
    ASSERT_TRUE(waitDone(c));
    EXPECT_EQ(r.lines, (Events{{"again", 0}}));
    EXPECT_EQ(r.terminateAsked, 0);
}

TEST(DiscoveryDosCommand, MissingProgramEndsRunWithoutLines) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = "/nonexistent/velmor-no-such-tool -a";
    c.Execute();
    EXPECT_TRUE(c.IsRunning());  // the end is handled on the event loop
    ASSERT_TRUE(waitDone(c));
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_EQ(r.terminateAsked, 0);
    EXPECT_EQ(c.ExitCode(), -1);
    EXPECT_TRUE(
        c.LastError().startsWith("Error creating Process: /nonexistent/velmor-no-such-tool -a - ("))
        << c.LastError().toStdString();

    c.CommandLine = "   ";  // no program at all
    c.Execute();
    EXPECT_TRUE(c.IsRunning());
    ASSERT_TRUE(waitDone(c));
    EXPECT_TRUE(c.LastError().startsWith("Error creating Process:     - ("))
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
    EXPECT_TRUE(c.IsRunning());
    EXPECT_EQ(r.terminateAsked, 0);  // asked on the event loop
    ASSERT_TRUE(waitDone(c, 3000));
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(complete(r.lines), (Events{{"half", 0}}));
    EXPECT_EQ(r.terminateAsked, 1);
    EXPECT_EQ(c.ExitCode(), 128 + 9);
    c.Stop();  // nothing to stop
    EXPECT_EQ(r.terminateAsked, 1);
}

// The termination ends what the child started as well.
TEST(DiscoveryDosCommand, StopEndsTheChildsOwnChildren) {
    TDosCommand c;
    Recorder r;
    r.attach(c);
    c.CommandLine = "sh -c \"sleep 30 & echo $!; wait\"";
    c.Execute();
    QElapsedTimer t;
    t.start();
    while (complete(r.lines).isEmpty() && t.elapsed() < 3000) QCoreApplication::processEvents();
    ASSERT_FALSE(complete(r.lines).isEmpty());
    const pid_t grandchild = pid_t(complete(r.lines).first().first.toLongLong());
    ASSERT_GT(grandchild, 0);
    ASSERT_TRUE(processAlive(grandchild));
    c.Stop();
    ASSERT_TRUE(waitDone(c, 3000));
    t.restart();
    while (processAlive(grandchild) && t.elapsed() < 3000) QCoreApplication::processEvents();
    EXPECT_FALSE(processAlive(grandchild));
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
    {
        // lines that keep coming restart the silence limit
        TDosCommand c;
        Recorder r;
        r.attach(c);
        c.MaxTimeAfterLastOutput = 1;
        c.CommandLine = "sh -c \"for i in 1 2 3 4 5; do echo $i; sleep 0.4; done\"";
        c.Execute();
        ASSERT_TRUE(waitDone(c, 8000));
        EXPECT_EQ(r.terminateAsked, 0);
        EXPECT_EQ(complete(r.lines).size(), 5);
        EXPECT_EQ(c.ExitCode(), 0);
    }
}

TEST(DiscoveryDosCommand, InputLinesReachTheChildAndAreEchoedWhenAsked) {
    for (const bool echo : {false, true}) {
        TDosCommand c;
        Recorder r;
        r.attach(c);
        c.InputToOutput = echo;
        c.CommandLine = "sh -c \"read x; echo got:$x\"";
        c.Execute();
        c.SendLine("hello");
        ASSERT_TRUE(waitDone(c));
        EXPECT_EQ(complete(r.lines),
                  echo ? (Events{{"hello", 0}, {"got:hello", 0}}) : (Events{{"got:hello", 0}}));
    }
}

TEST(DiscoveryDosCommand, DestroyingARunningCommandEndsTheChild) {
    QElapsedTimer t;
    pid_t child = 0;
    Events lines;
    {
        TDosCommand c;
        c.OnNewLine = [&](QObject*, const QString& l, TOutputType ty) { lines.append({l, ty}); };
        c.CommandLine = "sh -c \"echo $$; exec sleep 30\"";
        c.Execute();
        t.start();
        while (lines.isEmpty() && t.elapsed() < 3000) QCoreApplication::processEvents();
        ASSERT_FALSE(lines.isEmpty());
        child = pid_t(lines.first().first.toLongLong());
        ASSERT_GT(child, 0);
        ASSERT_TRUE(processAlive(child));
        lines.clear();
        t.restart();
    }
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(processAlive(child));
    QCoreApplication::processEvents();  // nothing of the destroyed runner is delivered
    EXPECT_TRUE(lines.isEmpty());
}
