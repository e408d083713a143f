// The walks of the Чеки tab on archives listed in a bench of the virtual register: the tab read,
// the date search, next and previous shift, and the read counts they may take.
#include <gtest/gtest.h>

#include <QLocale>
#include <QRandomGenerator>
#include <cmath>

#include "documents/Archive.h"
#include "documents_archive.h"

namespace {

using archive_test::ArchiveBuilder;
using documents::WalkEnd;

class DocumentsWalk : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override {
        QLocale::setDefault(QLocale::c());
        emu::World::instance().loadDemo();
    }

    drv::Fptr& open(const ArchiveBuilder& a, const QJsonObject& extra = {}) {
        log_.clear();
        reads_.clear();
        fptr_ = archive_test::openRegister(a.bench(extra), &log_, &reads_);
        last_ = QString::number(a.count());
        mark_.set();
        return *fptr_;
    }
    void resetCounts() {
        log_.clear();
        reads_.clear();
    }

    documents::WalkResult search(QDate day, archive_test::WalkUi& ui) {
        return documents::dateSearch(*fptr_, ui, mark_, {last_, "01.03.2021 09:00:00", day},
                                     ArchiveBuilder::kZone);
    }
    documents::WalkResult next(qint64 base, const QString& cur, const QString& lastShift,
                               archive_test::WalkUi& ui, QStringList view = {}) {
        return documents::nextShift(*fptr_, ui, mark_,
                                    {view, QString::number(base), last_, cur, lastShift, clear()});
    }
    documents::WalkResult previous(qint64 base, archive_test::WalkUi& ui, QStringList view = {}) {
        return documents::previousShift(
            *fptr_, ui, mark_, {view, QString::number(base), last_, QString(), QString(), clear()});
    }

    // The page's clearing of the view, noted in the log.
    std::function<void()> clear() {
        return [this] { log_.push_back("clear"); };
    }

    // No document outside the archive was asked for.
    void expectReadsInside(qint64 count) {
        for (qint64 n : reads_) {
            EXPECT_GE(n, 1) << "a read before the first document";
            EXPECT_LE(n, count) << "a read past the last document";
        }
    }

    archive_test::EventLog log_;
    std::vector<qint64> reads_;
    std::unique_ptr<drv::Fptr> fptr_;
    documents::RunMark mark_;
    QString last_;
};

// 01.03 registration; 02.03 a shift of three receipts; no shift on 03.03; 04.03 a shift of two
// receipts; 05.03 a shift without receipts, whose closing document is the last document.
ArchiveBuilder weekArchive() {
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.registration();               // 1
    a.shift(QDate(2021, 3, 2), 3);  // 2..6
    a.shift(QDate(2021, 3, 4), 2);  // 7..10
    a.shift(QDate(2021, 3, 5), 0);  // 11..12
    return a;
}

// --- Tab read -------------------------------------------------------------------------------

TEST_F(DocumentsWalk, TabReadFillsTheBoxesFromTheArchive) {
    const auto a = weekArchive();
    open(a);
    archive_test::WalkUi ui(&log_);
    EXPECT_EQ(documents::readReceiptState(*fptr_, ui), "Чек закрыт");
    const auto t = documents::readArchiveState(*fptr_, ui, ArchiveBuilder::kZone);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(t.fnFound);
    EXPECT_EQ(t.lastNumber, "12");
    EXPECT_EQ(t.firstDate, "01.03.2021 09:00:00");
    EXPECT_EQ(t.first, QDate(2021, 3, 1));
    EXPECT_EQ(t.lastDate, "05.03.2021 09:01:00");
    EXPECT_EQ(t.last, QDate(2021, 3, 5));
    EXPECT_EQ(t.lastShift, "3");
    // Document 1 and the last document, nothing else.
    EXPECT_EQ(reads_, (std::vector<qint64>{1, 12}));

    open(a, {{"receipt", QJsonObject{{"type", 1}}}});
    EXPECT_EQ(documents::readReceiptState(*fptr_, ui), "Чек открыт");
}

TEST_F(DocumentsWalk, TabReadWithoutStorageOrStatus) {
    auto a = weekArchive();
    open(a, {{"flags", QJsonObject{{"fiscal", true}, {"fnPresent", false}}}});
    archive_test::WalkUi ui(&log_);
    EXPECT_EQ(documents::readReceiptState(*fptr_, ui), "Чек закрыт");
    auto t = documents::readArchiveState(*fptr_, ui, ArchiveBuilder::kZone);
    EXPECT_EQ(ui.messages, QStringList({"ФН не найден"}));
    EXPECT_FALSE(t.fnFound);
    EXPECT_TRUE(t.lastNumber.isEmpty() && t.firstDate.isEmpty() && t.lastDate.isEmpty());
    EXPECT_TRUE(reads_.empty());

    // No storage status: no last number, document 1 is still read.
    open(a, {{"jsonAnswers", QJsonObject{{"getFnStatus", ""}}}});
    t = documents::readArchiveState(*fptr_, ui, ArchiveBuilder::kZone);
    EXPECT_TRUE(t.lastNumber.isEmpty() && t.lastDate.isEmpty());
    EXPECT_EQ(t.lastShift, "-1");
    EXPECT_EQ(t.firstDate, "01.03.2021 09:00:00");
    EXPECT_EQ(reads_, (std::vector<qint64>{1}));

    // A count that is no document count is not taken.
    open(a, {{"jsonAnswers",
              QJsonObject{{"getFnStatus", R"({"fnStatus": {"fiscalDocumentNumber": -4}})"}}}});
    EXPECT_TRUE(
        documents::readArchiveState(*fptr_, ui, ArchiveBuilder::kZone).lastNumber.isEmpty());

    // A failing task is reported with its code.
    open(a, {{"errors", QJsonArray{QJsonObject{{"method", "processJson"}, {"code", 2}}}}});
    ui.messages.clear();
    documents::readArchiveState(*fptr_, ui, ArchiveBuilder::kZone);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages[0], "(2) Нет связи");
}

// --- Next and previous document --------------------------------------------------------------

TEST(DocumentsSteps, NextAndPreviousStopAtBothEnds) {
    EXPECT_EQ(documents::nextDocument("4", "5"), 5);
    EXPECT_FALSE(documents::nextDocument("5", "5"));
    EXPECT_FALSE(documents::nextDocument("9", "5"));  // a typed number past the end
    EXPECT_FALSE(documents::nextDocument("", "5"));
    EXPECT_FALSE(documents::nextDocument("4", ""));
    EXPECT_EQ(documents::previousDocument("2", "5"), 1);
    EXPECT_FALSE(documents::previousDocument("1", "5"));
    EXPECT_FALSE(documents::previousDocument("0", "5"));  // never document -1
    EXPECT_FALSE(documents::previousDocument("3", ""));
    EXPECT_TRUE(documents::acceptsNumberKey('0'));
    EXPECT_TRUE(documents::acceptsNumberKey('9'));
    EXPECT_TRUE(documents::acceptsNumberKey(QChar(8)));
    EXPECT_FALSE(documents::acceptsNumberKey('a'));
    EXPECT_FALSE(documents::acceptsNumberKey('-'));
    EXPECT_FALSE(documents::acceptsNumberKey(QChar(0x0663)));  // an Arabic-Indic three
}

// --- Date search ------------------------------------------------------------------------------

// The search pauses 50 ms before every document it steps to; only the read of a receipt's
// shift opening follows another read directly.
void expectPausesAtEveryStep(const archive_test::EventLog& log) {
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "pause 50");
    int run = 0;
    for (const QString& e : log) {
        run = e.startsWith("read") ? run + 1 : 0;
        EXPECT_LE(run, 2) << "three reads without processing messages";
    }
}

TEST_F(DocumentsWalk, DateSearchOnAWeek) {
    open(weekArchive());
    archive_test::WalkUi ui(&log_);
    // The shift opened that day; three shifts walked.
    auto r = search(QDate(2021, 3, 2), ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, 2);
    EXPECT_FALSE(r.numberText.has_value());
    EXPECT_LE(int(reads_.size()), 2 * 3 + 3);
    EXPECT_EQ(r.reads, int(reads_.size()));
    expectPausesAtEveryStep(log_);
    resetCounts();
    EXPECT_EQ(search(QDate(2021, 3, 4), ui).show, 7);

    // A day without shift: the line as soon as a document of an earlier day is met.
    resetCounts();
    r = search(QDate(2021, 3, 3), ui);
    EXPECT_EQ(r.end, WalkEnd::NoDocuments);
    EXPECT_FALSE(r.show.has_value());
    EXPECT_EQ(r.viewLine, "За указанную дату 03.03.2021 документов не найдено");
    EXPECT_LE(int(reads_.size()), 2 * 3 + 3);

    // A shift without receipts: its closing is the last document, its opening one below.
    resetCounts();
    r = search(QDate(2021, 3, 5), ui);
    EXPECT_EQ(r.show, 11);
    EXPECT_EQ(reads_, (std::vector<qint64>{12, 11}));

    // The first day holds only the registration: the walk runs out, without message, and
    // never asks for document 0.
    resetCounts();
    r = search(QDate(2021, 3, 1), ui);
    EXPECT_EQ(r.end, WalkEnd::NotFound);
    EXPECT_TRUE(r.viewLine.isEmpty());
    expectReadsInside(12);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(DocumentsWalk, DateSearchInTheOpenLastShift) {
    // The last shift is still open: the last document is a receipt, one jump back to its opening.
    auto a = weekArchive();
    a.at(QDate(2021, 3, 6));
    const qint64 opening = a.openShift();
    for (int i = 0; i < 30; ++i) a.receipt(1 + i % 4);
    open(a);
    archive_test::WalkUi ui(&log_);
    const auto r = search(QDate(2021, 3, 6), ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, opening);
    EXPECT_EQ(reads_, (std::vector<qint64>{a.count(), opening}));
}

TEST_F(DocumentsWalk, DateSearchInAnArchiveWhoseOldPartIsShort) {
    // The storage holds its first days only in short form; the boundary falls inside the shift
    // of 03.03, so its receipts point at a short opening.
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.shortForm(true);
    a.registration();
    a.shift(QDate(2021, 3, 2), 4);
    a.at(QDate(2021, 3, 3));
    const qint64 boundaryOpen = a.openShift();
    a.receipt();
    a.shortForm(false);
    a.receipt();
    a.receipt();
    a.closeShift();
    a.shift(QDate(2021, 3, 4), 3);
    open(a);
    archive_test::WalkUi ui(&log_);
    auto r = search(QDate(2021, 3, 2), ui);
    EXPECT_EQ(r.end, WalkEnd::InArchive);
    EXPECT_EQ(ui.messages,
              QStringList({"Документы с указанной датой находятся в архиве, поиск недоступен."}));
    EXPECT_EQ(r.numberText, last_);
    EXPECT_FALSE(r.show.has_value());
    EXPECT_EQ(reads_.back(), boundaryOpen);

    // A day after the boundary is found as usual.
    resetCounts();
    ui.messages.clear();
    r = search(QDate(2021, 3, 4), ui);
    EXPECT_EQ(r.show, boundaryOpen + 5);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(DocumentsWalk, DateSearchThroughAShortPartOfWholeShifts) {
    // The boundary between two shifts: the search steps through the short part one document at
    // a time (short receipts carry no receipt number) and finds the short opening by its date.
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.shortForm(true);
    a.registration();
    const qint64 old = a.shift(QDate(2021, 3, 2), 3);
    a.shortForm(false);
    a.shift(QDate(2021, 3, 3), 2);
    open(a);
    archive_test::WalkUi ui(&log_);
    const auto r = search(QDate(2021, 3, 2), ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, old);
    expectPausesAtEveryStep(log_);
}

TEST_F(DocumentsWalk, DateSearchAbortsWithinOneStep) {
    open(weekArchive());
    for (int abortAt : {1, 2, 3, 4}) {
        SCOPED_TRACE(abortAt);
        resetCounts();
        mark_.set();
        archive_test::WalkUi ui(&log_);
        // The second press of "Прервать" arrives while the window processes its messages.
        ui.onWait = [&](int wait) {
            if (wait == abortAt) mark_.clear();
        };
        const auto r = search(QDate(2021, 3, 2), ui);
        EXPECT_EQ(r.end, WalkEnd::Aborted);
        EXPECT_EQ(r.numberText, "12");  // the last document number back in the box
        EXPECT_FALSE(r.show.has_value());
        // Not one document read after the press.
        int readsBefore = 0;
        int waits = 0;
        for (const QString& e : log_) {
            if (e.startsWith("pause") || e == "events") ++waits;
            if (e.startsWith("read") && waits < abortAt) ++readsBefore;
            if (e.startsWith("read")) {
                EXPECT_LT(waits, abortAt) << "read after the abort";
            }
        }
        EXPECT_EQ(readsBefore, int(reads_.size()));
    }
}

TEST_F(DocumentsWalk, DateSearchWithoutLastDateOrWithADriverError) {
    const auto a = weekArchive();
    open(a);
    archive_test::WalkUi ui(&log_);
    auto r = documents::dateSearch(*fptr_, ui, mark_, {last_, "", QDate(2021, 3, 2)});
    EXPECT_EQ(r.end, WalkEnd::Nothing);
    EXPECT_TRUE(log_.empty());

    // The register stops answering at the third read: one message, and the search ends.
    open(a, {{"errors",
              QJsonArray{QJsonObject{{"method", "processJson"}, {"code", 2}, {"fromCall", 3}}}}});
    r = search(QDate(2021, 3, 2), ui);
    EXPECT_EQ(r.end, WalkEnd::DriverError);
    EXPECT_EQ(ui.messages, QStringList({"(2) Нет связи"}));
    EXPECT_EQ(reads_.size(), 3u);
    EXPECT_EQ(r.numberText, "12");
}

TEST_F(DocumentsWalk, DateSearchWithBadReceiptNumbers) {
    // 1042 zero, negative, past the archive start, not a number: the walk steps instead of
    // jumping, never reads outside the archive, and still finds the opening.
    auto a = weekArchive();
    a.patch(10, "1042", -3);
    a.patch(9, "1042", 0);
    a.patch(5, "1042", 1000000);
    a.patch(4, "1042", "два");
    open(a);
    archive_test::WalkUi ui(&log_);
    for (QDate day : {QDate(2021, 3, 2), QDate(2021, 3, 4)}) {
        resetCounts();
        const auto r = search(day, ui);
        EXPECT_EQ(r.end, WalkEnd::Shown);
        EXPECT_EQ(r.show, day.day() == 2 ? 2 : 7);
        expectReadsInside(12);
    }

    // A receipt number reaching into the shift before: that shift's opening is not taken for
    // this one's, and the shift of 04.03 is still found.
    auto b = weekArchive();
    b.patch(9, "1042", 7);
    open(b);
    const auto r = search(QDate(2021, 3, 4), ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, 7);
}

TEST_F(DocumentsWalk, DateSearchLandsOnTheOpeningDespiteReportsInsideTheShift) {
    // An exchange report inside a shift: the receipt numbers count receipts only, so a jump
    // from a receipt lands one document short of the opening. The opening is still shown.
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.registration();
    a.at(QDate(2021, 3, 2));
    const qint64 open2 = a.openShift();
    a.exchangeReport();
    a.receipt();
    a.exchangeReport();
    a.receipt();
    a.receipt();
    a.closeShift();
    a.shift(QDate(2021, 3, 3), 2);
    open(a);
    archive_test::WalkUi ui(&log_);
    const auto r = search(QDate(2021, 3, 2), ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, open2);
    EXPECT_EQ(a.doc(*r.show).type, "openShift");
}

// --- Previous shift ---------------------------------------------------------------------------

TEST_F(DocumentsWalk, PreviousShiftOnAWeek) {
    open(weekArchive());
    archive_test::WalkUi ui(&log_);
    // From a receipt: its own shift's opening, messages processed before the reads.
    auto r = previous(9, ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, 7);
    EXPECT_LE(reads_.size(), 3u);
    EXPECT_EQ(log_[0], "clear");
    EXPECT_EQ(log_[1], "events");
    // From an opening: the shift before, also when the shown shift has no receipts.
    for (auto [from, to] : {std::pair{7, 2}, {11, 7}, {10, 7}, {12, 11}}) {
        resetCounts();
        EXPECT_EQ(previous(from, ui).show, to) << from;
        EXPECT_LE(reads_.size(), 3u);
    }
    // The first shift has none before it; at document 1 nothing is read.
    resetCounts();
    EXPECT_FALSE(previous(2, ui).show.has_value());
    expectReadsInside(12);
    // At document 1 the view is cleared and stays empty; nothing is read.
    resetCounts();
    EXPECT_EQ(previous(1, ui).end, WalkEnd::Nothing);
    EXPECT_TRUE(reads_.empty());
    EXPECT_EQ(log_, (archive_test::EventLog{"clear", "events"}));
}

TEST_F(DocumentsWalk, ShiftStepsRefuseADocumentReadFromTheArchive) {
    open(weekArchive());
    archive_test::WalkUi ui(&log_);
    const QStringList view = {"<Документ считан из архива и содержит неполный набор данных>", "",
                              "Номер смены:          1"};
    EXPECT_EQ(previous(5, ui, view).end, WalkEnd::InArchive);
    EXPECT_EQ(next(5, "1", "3", ui, view).end, WalkEnd::InArchive);
    EXPECT_EQ(ui.messages, QStringList({"Переход по сменам в архиве недоступен.",
                                        "Переход по сменам в архиве недоступен."}));
    EXPECT_TRUE(log_.empty());  // the view keeps the document, nothing is read
}

TEST_F(DocumentsWalk, PreviousShiftIntoTheShortPartStops) {
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.shortForm(true);
    a.registration();
    a.shift(QDate(2021, 3, 2), 40);
    a.shortForm(false);
    const qint64 firstFull = a.shift(QDate(2021, 3, 3), 2);
    open(a);
    archive_test::WalkUi ui(&log_);
    const auto r = previous(firstFull, ui);
    EXPECT_EQ(r.end, WalkEnd::InArchive);
    EXPECT_EQ(ui.messages, QStringList({"Переход по сменам в архиве недоступен."}));
    // It does not step through the 40 short receipts.
    EXPECT_LE(reads_.size(), 3u);
}

TEST_F(DocumentsWalk, PreviousShiftWithBadReceiptNumbers) {
    auto a = weekArchive();
    a.patch(9, "1042", -20);
    a.patch(5, "1042", 99);  // past the archive start
    a.patch(4, "1042", 3);   // lands on the registration, another "shift"
    open(a);
    archive_test::WalkUi ui(&log_);
    EXPECT_EQ(previous(9, ui).show, 7);
    EXPECT_EQ(previous(5, ui).show, 2);
    EXPECT_EQ(previous(4, ui).show, 2);
    expectReadsInside(12);
}

TEST_F(DocumentsWalk, PreviousShiftStopsOnDriverError) {
    open(weekArchive(),
         {{"errors", QJsonArray{QJsonObject{{"method", "processJson"}, {"code", 2}}}}});
    archive_test::WalkUi ui(&log_);
    const auto r = previous(9, ui);
    EXPECT_EQ(r.end, WalkEnd::DriverError);
    EXPECT_EQ(ui.messages, QStringList({"(2) Нет связи"}));
    EXPECT_EQ(reads_.size(), 1u);
}

// --- Next shift -------------------------------------------------------------------------------

TEST_F(DocumentsWalk, NextShiftFromTheMiddleOfAShift) {
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.registration();
    std::vector<qint64> openings;
    for (int d = 0; d < 20; ++d) openings.push_back(a.shift(QDate(2021, 3, 2).addDays(d), 25));
    open(a);
    archive_test::WalkUi ui(&log_);
    const qint64 base = openings[7] + 12;
    const auto r = next(base, "8", "20", ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, openings[8]);
    EXPECT_LE(double(reads_.size()), 2 * std::log2(double(a.count())) + 4);
    // Messages are processed before every probe.
    int events = 0;
    for (const QString& e : log_) events += e == "events";
    EXPECT_GE(events, int(reads_.size()));
}

TEST_F(DocumentsWalk, NextShiftOnAWeek) {
    open(weekArchive());
    archive_test::WalkUi ui(&log_);
    // In the last shift nothing happens, the view is left as it is.
    EXPECT_EQ(next(11, "3", "3", ui).end, WalkEnd::Nothing);
    EXPECT_TRUE(log_.empty());
    // Otherwise the view is cleared before the first read.
    EXPECT_EQ(next(3, "1", "3", ui).show, 7);
    EXPECT_EQ(log_.front(), "clear");
    // The next shift holds no receipts: its opening.
    EXPECT_EQ(next(8, "2", "3", ui).show, 11);
    // The field says shift 9, the view's line says 1: the line wins.
    EXPECT_EQ(next(3, "9", "3", ui, {"Кассир:   x", "Номер смены:          1   ", "x"}).show, 7);
}

// The next-shift probe as first written, without any bound: whether it reaches the next shift
// within 10000 probes. On the archives below it does not: it probes the same documents forever.
bool unboundedProbeEnds(const ArchiveBuilder& a, qint64 base, qint64 current) {
    qint64 step = 30;
    for (int i = 0; i < 10000; ++i) {
        const qint64 cand = std::min(base + step, a.count());
        if (cand < 1) return false;  // it would ask for a document before the first
        const auto& doc = a.doc(cand);
        if (!doc.shift) {
            step += 1;
            continue;
        }
        const qint64 d = *doc.shift - current;
        if (d == 1) return true;
        if (d == 0)
            step *= 2;
        else
            step = step / d + 2;
        if (step > (qint64(1) << 40)) return false;
    }
    return false;
}

TEST_F(DocumentsWalk, NextShiftEndsWhereTheProbeSettlesOnStepFour) {
    // Shifts without receipts, two documents each: from an opening the first probe lands 15
    // shifts ahead (step 30 / 15 + 2 = 4), then two shifts ahead (4 / 2 + 2 = 4) for good.
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.registration();
    std::vector<qint64> openings;
    for (int d = 0; d < 40; ++d) openings.push_back(a.shift(QDate(2021, 3, 2).addDays(d), 0));
    for (int k : {0, 5, 17}) {
        SCOPED_TRACE(k);
        ASSERT_FALSE(unboundedProbeEnds(a, openings[k], k + 1));
        open(a);
        archive_test::WalkUi ui(&log_);
        const auto r = next(openings[k], QString::number(k + 1), "40", ui);
        EXPECT_EQ(r.end, WalkEnd::Shown);
        EXPECT_EQ(r.show, openings[k + 1]);
        EXPECT_LE(double(reads_.size()), 2 * std::log2(double(a.count())) + 4);
        expectReadsInside(a.count());
    }
}

TEST_F(DocumentsWalk, NextShiftEndsWhenTheLastDocumentHasNoShift) {
    // The last document is an exchange report, so the last shift is unknown ("-1"); from the
    // last shift the probe meets the end of the archive and a document without shift number,
    // and would step on it forever.
    auto a = weekArchive();
    a.at(QDate(2021, 3, 6));
    a.exchangeReport();
    ASSERT_FALSE(unboundedProbeEnds(a, 11, 3));
    open(a);
    archive_test::WalkUi ui(&log_);
    const auto r = next(11, "3", "-1", ui);
    EXPECT_EQ(r.end, WalkEnd::NotFound);
    EXPECT_FALSE(r.show.has_value());
    EXPECT_LE(reads_.size(), 3u);
    expectReadsInside(13);
}

TEST_F(DocumentsWalk, NextShiftEndsFromANumberBehindTheShownShift) {
    // The number box holds an early document while the view shows a later shift: in the
    // unbounded form the probe sees negative distances and its step turns negative, so it asks
    // for documents before the first one.
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.registration();
    std::vector<qint64> openings;
    for (int d = 0; d < 12; ++d) openings.push_back(a.shift(QDate(2021, 3, 2).addDays(d), 6));
    ASSERT_FALSE(unboundedProbeEnds(a, 3, 9));
    open(a);
    archive_test::WalkUi ui(&log_);
    const auto r = next(3, "9", "12", ui);
    EXPECT_EQ(r.end, WalkEnd::Shown);
    EXPECT_EQ(r.show, openings[9]);  // the opening of shift 10
    expectReadsInside(a.count());
}

TEST_F(DocumentsWalk, NextShiftFromADocumentWithoutShift) {
    const auto a = weekArchive();
    open(a);
    archive_test::WalkUi ui(&log_);
    // The registration report: the first shift follows.
    auto r = next(1, "-1", "3", ui);
    EXPECT_EQ(r.show, 2);

    // An exchange report inside shift 2 (documents 7..): the next shift is shift 3.
    ArchiveBuilder b(QDate(2021, 3, 1));
    b.registration();
    b.shift(QDate(2021, 3, 2), 2);
    b.at(QDate(2021, 3, 3));
    b.openShift();
    b.receipt();
    const qint64 report = b.exchangeReport();
    b.receipt();
    b.closeShift();
    const qint64 third = b.shift(QDate(2021, 3, 4), 1);
    open(b);
    resetCounts();
    r = next(report, "-1", "3", ui);
    EXPECT_EQ(r.show, third);
}

TEST_F(DocumentsWalk, NextShiftStopsWhenTheMarkIsCleared) {
    // A reset of the tab while the probe waits for messages: no read after it.
    ArchiveBuilder a(QDate(2021, 3, 1));
    a.registration();
    for (int d = 0; d < 10; ++d) a.shift(QDate(2021, 3, 2).addDays(d), 0);
    open(a);
    archive_test::WalkUi ui(&log_);
    ui.onWait = [&](int wait) {
        if (wait == 2) mark_.clear();
    };
    const auto r = next(2, "1", "10", ui);
    EXPECT_EQ(r.end, WalkEnd::Aborted);
    EXPECT_EQ(reads_.size(), 1u);
}

// --- Random archives --------------------------------------------------------------------------

struct RandomArchive {
    ArchiveBuilder a;
    bool reportsInside = false;
};

// Days with one or two shifts or none, shifts of 0 to 14 receipts, exchange reports between
// shifts and, when asked, inside them.
RandomArchive randomArchive(quint32 seed, bool reportsInside) {
    QRandomGenerator rnd(seed);
    RandomArchive r{ArchiveBuilder(QDate(2021, 3, 1)), reportsInside};
    r.a.registration();
    QDate day(2021, 3, 2);
    for (int d = 0; d < 14; ++d, day = day.addDays(1)) {
        const int shifts = rnd.bounded(3);  // 0, 1 or 2 a day
        for (int s = 0; s < shifts; ++s) {
            r.a.at(day, QTime(8 + 6 * s, 0));
            r.a.openShift();
            const int receipts = rnd.bounded(15);
            for (int i = 0; i < receipts; ++i) {
                if (reportsInside && rnd.bounded(6) == 0) r.a.exchangeReport();
                r.a.receipt(1 + int(rnd.bounded(4)));
            }
            r.a.closeShift();
            if (rnd.bounded(4) == 0) r.a.exchangeReport();
        }
    }
    return r;
}

TEST_F(DocumentsWalk, ShiftStepsOnRandomArchivesAgreeWithTheArchive) {
    for (quint32 seed = 1; seed <= 6; ++seed) {
        const bool inside = seed % 2 == 0;
        const auto ra = randomArchive(seed, inside);
        const auto& a = ra.a;
        SCOPED_TRACE(seed);
        open(a);
        const qint64 count = a.count();
        const QString lastShift =
            a.doc(count).shift ? QString::number(*a.doc(count).shift) : QString("-1");
        for (qint64 base = 1; base <= count; ++base) {
            SCOPED_TRACE(base);
            const auto& doc = a.doc(base);
            const QString cur = doc.shift ? QString::number(*doc.shift) : QString("-1");
            // Expected: the first opening after the base, unless the base is in the last shift.
            std::optional<qint64> want;
            for (qint64 p = base + 1; p <= count && !want; ++p)
                if (a.doc(p).type == "openShift") want = p;
            archive_test::WalkUi ui(&log_);
            resetCounts();
            auto r = next(base, cur, lastShift, ui);
            EXPECT_EQ(r.show, want);
            EXPECT_TRUE(ui.messages.isEmpty());
            expectReadsInside(count);
            if (!inside && doc.shift) {
                EXPECT_LE(double(reads_.size()), 2 * std::log2(double(count)) + 4);
            }

            // Previous shift: the opening of the base's own shift; from an opening, of the
            // shift before; from a document between shifts, of the shift before it.
            std::optional<qint64> own;
            const bool fromOpening = doc.type == "openShift";
            for (qint64 p = fromOpening ? base - 1 : base; p >= 1 && !own; --p)
                if (a.doc(p).type == "openShift") own = p;
            resetCounts();
            r = previous(base, ui);
            if (base == 1) {
                EXPECT_FALSE(r.show.has_value());
                continue;
            }
            EXPECT_EQ(r.show, own);
            expectReadsInside(count);
            // From a receipt (the middle of a shift) three reads at most; from an opening one
            // more when a report stands between it and the closing before.
            if (!inside && doc.type == "receipt") {
                EXPECT_LE(reads_.size(), 3u);
            } else if (!inside && doc.shift) {
                EXPECT_LE(reads_.size(), 4u);
            }
        }
    }
}

TEST_F(DocumentsWalk, DateSearchOnRandomArchivesAgreesWithTheArchive) {
    for (quint32 seed = 11; seed <= 16; ++seed) {
        const bool inside = seed % 2 == 0;
        const auto ra = randomArchive(seed, inside);
        const auto& a = ra.a;
        SCOPED_TRACE(seed);
        open(a);
        for (QDate day(2021, 3, 1); day <= QDate(2021, 3, 16); day = day.addDays(1)) {
            SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
            // The last shift opened that day, how many shifts opened from that day on, and how
            // many reports stand between them.
            std::optional<qint64> want;
            int walked = 1;
            int reports = 0;
            for (const auto& d : a.known()) {
                if (d.moment.date() < day) continue;
                if (d.type == "openShift") {
                    if (d.moment.date() == day) want = d.number;
                    ++walked;
                }
                if (d.type == "ofdExchangeStatus") ++reports;
            }
            archive_test::WalkUi ui(&log_);
            resetCounts();
            const auto r = search(day, ui);
            EXPECT_EQ(r.show, want);
            if (!want) {
                EXPECT_TRUE(r.end == WalkEnd::NoDocuments || r.end == WalkEnd::NotFound);
            }
            EXPECT_TRUE(ui.messages.isEmpty());
            expectReadsInside(a.count());
            if (!inside) {
                EXPECT_LE(int(reads_.size()), 2 * walked + 3 + reports);
            }
            expectPausesAtEveryStep(log_);
        }
    }
}

}  // namespace
