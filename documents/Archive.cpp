#include "documents/Archive.h"

#include <QLocale>
#include <bit>

#include "app/Ui.h"
#include "documents/Render.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "driver/Names.h"
#include "driver/ValueText.h"

namespace documents {
namespace {

const QString kArchiveMark = QStringLiteral("считан из архива");
const QString kShiftLine = QStringLiteral("Номер смены:");

void reportError(drv::Fptr& fptr, ui::IUi& ui, int code) {
    ui.message(QStringLiteral("(%1) %2").arg(code).arg(fptr.errorDescription()),
               ui::Icon::Information, QString());
}

QDate localDay(const QDateTime& dt, const std::optional<QTimeZone>& zone) {
    return (zone ? dt.toTimeZone(*zone) : dt.toLocalTime()).date();
}

// Document reads of one walk. Every read first lets the window process its messages (the date
// search also pauses 50 ms), then checks the run mark; a cleared mark or a driver error ends the
// walk, and the read gives nullopt with the end noted in the result.
class Walker {
  public:
    enum class Wait { None, Events, Pause };

    Walker(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark) : fptr_(fptr), ui_(ui), mark_(mark) {}

    std::optional<DocumentAnswer> read(qint64 number, Wait wait) {
        if (!mark_.isSet()) return stop(WalkEnd::Aborted);
        if (wait == Wait::Pause)
            ui_.pause(50);
        else if (wait == Wait::Events)
            ui_.processEvents();
        if (!mark_.isSet()) return stop(WalkEnd::Aborted);
        DocumentAnswer doc = readDocument(fptr_, number);
        ++result.reads;
        if (const int code = fptr_.errorCode(); code != 0) {
            reportError(fptr_, ui_, code);
            return stop(WalkEnd::DriverError);
        }
        return doc;
    }

    WalkResult& show(qint64 number) {
        result.end = WalkEnd::Shown;
        result.show = number;
        return result;
    }
    WalkResult& end(WalkEnd e) {
        result.end = e;
        return result;
    }
    WalkResult& inArchive(const QString& message) {
        ui_.message(message);
        return end(WalkEnd::InArchive);
    }

    WalkResult result;

  private:
    std::nullopt_t stop(WalkEnd e) {
        result.end = e;
        return std::nullopt;
    }

    drv::Fptr& fptr_;
    ui::IUi& ui_;
    const RunMark& mark_;
};

// A valid receipt number within the shift for a receipt at `n`: it points back to a document
// above `floor`. Anything else (absent, zero, negative, past the start of the archive) is not
// used for a jump.
std::optional<qint64> jumpBack(const DocumentAnswer& doc, qint64 n, qint64 floor) {
    if (doc.docClass() != DocClass::Check) return std::nullopt;
    const auto v = doc.integer(QStringLiteral("1042"));
    if (!v || *v < 1 || n - *v <= floor) return std::nullopt;
    return n - *v;
}

// The opening document of the shift that holds document `p`, looking no lower than `floor`
// (exclusive). From a receipt the walk jumps back by its receipt number within the shift. The
// receipt number counts receipts only, so with reports inside the shift a jump falls short of the
// opening and the walk goes on from where it landed. A jump that lands in an earlier shift (a
// receipt number larger than the documents since the opening) is undone: the walk then steps one
// document at a time down from the lowest document known to be in the shift. A short document on
// the way ends the walk with the archive message.
std::optional<qint64> findOpening(Walker& w, qint64 p, DocumentAnswer doc, qint64 floor) {
    std::optional<qint64> shift = doc.integer(QStringLiteral("1038"));
    qint64 top = p;  // the lowest document known to be in the shift
    DocumentAnswer topDoc = doc;
    bool singleSteps = false;
    for (;;) {
        if (doc.docClass() == DocClass::OpenShift) return p;
        if (doc.isShort()) {
            w.inArchive(kShiftStepInArchive);
            return std::nullopt;
        }
        const auto jump = singleSteps ? std::nullopt : jumpBack(doc, p, floor);
        const qint64 q = jump.value_or(p - 1);
        if (q <= floor) {
            if (p == top) {
                w.end(WalkEnd::NotFound);
                return std::nullopt;
            }
            singleSteps = true;
            p = top;
            doc = topDoc;
            continue;
        }
        auto next = w.read(q, Walker::Wait::Events);
        if (!next) return std::nullopt;
        const auto s = next->integer(QStringLiteral("1038"));
        if (shift && s && *s != *shift) {
            // `q` lies before the shift.
            floor = q;
            if (q == top - 1) {  // right below the shift: it has no opening document
                w.end(WalkEnd::NotFound);
                return std::nullopt;
            }
            singleSteps = true;
            p = top;
            doc = topDoc;
            continue;
        }
        if (s) {
            shift = s;
            top = q;
            topDoc = *next;
        }
        p = q;
        doc = std::move(*next);
    }
}

bool shownFromArchive(const QStringList& view) {
    return !view.isEmpty() && view.first().contains(kArchiveMark);
}

}  // namespace

DocumentAnswer readDocument(drv::Fptr& fptr, qint64 number) {
    return DocumentAnswer::parse(fptr.jsonTask(documentTask(number)));
}

QString checkKKMstate(drv::Fptr& fptr) {
    const auto flag = [&fptr](const char* param) {
        return fptr.getParamBool(QLatin1String(param)) ? u't' : u'f';
    };
    QString s;
    fptr.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, fptr.c(drv::names::LIBFPTR_DT_STATUS));
    fptr.queryData();
    s += flag(drv::names::LIBFPTR_PARAM_BLOCKED);
    s += flag(drv::names::LIBFPTR_PARAM_COVER_OPENED);
    s += flag(drv::names::LIBFPTR_PARAM_RECEIPT_PAPER_PRESENT);
    s += flag(drv::names::LIBFPTR_PARAM_FISCAL);
    s += flag(drv::names::LIBFPTR_PARAM_FN_FISCAL);
    s += flag(drv::names::LIBFPTR_PARAM_FN_PRESENT);
    fptr.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, fptr.c(drv::names::LIBFPTR_DT_SHIFT_STATE));
    fptr.queryData();
    s += fptr.getParamInt(drv::names::LIBFPTR_PARAM_SHIFT_STATE) != 0 ? u't' : u'f';
    return s;
}

QString readReceiptState(drv::Fptr& fptr, ui::IUi& ui) {
    fptr.setParam(drv::names::LIBFPTR_PARAM_DATA_TYPE, fptr.c(drv::names::LIBFPTR_DT_STATUS));
    fptr.queryData();
    if (const int code = fptr.errorCode(); code != 0) reportError(fptr, ui, code);
    return fptr.getParamInt(drv::names::LIBFPTR_PARAM_RECEIPT_TYPE) ==
                   fptr.c(drv::names::LIBFPTR_RT_CLOSED)
               ? kReceiptClosed
               : kReceiptOpen;
}

TabState readArchiveState(drv::Fptr& fptr, ui::IUi& ui, const std::optional<QTimeZone>& zone) {
    TabState t;
    const auto local = [&zone](const QDateTime& dt) {
        return zone ? dt.toTimeZone(*zone) : dt.toLocalTime();
    };

    if (checkKKMstate(fptr).at(5) == u'f') {
        ui.message(kFnNotFound);
        return t;
    }
    t.fnFound = true;

    const QString status = fptr.jsonTask(QStringLiteral("{\"type\": \"getFnStatus\"}"));
    if (const int code = fptr.errorCode(); code != 0) reportError(fptr, ui, code);
    const auto lastText = drv::JsonAnswer::parse(status).text("fnStatus.fiscalDocumentNumber");
    // Only a document count is taken; any other value leaves the box empty.
    const qint64 last = lastText ? wholeNumber(*lastText).value_or(-1) : -1;
    if (last >= 0 && last <= 4294967295LL) t.lastNumber = QString::number(last);

    if (const auto first = readDocument(fptr, 1).moment()) {
        t.firstDate = drv::dateTimeText(local(*first));
        t.first = local(*first).date();
    }
    t.lastShift = QStringLiteral("-1");
    if (last >= 1 && !t.lastNumber.isEmpty()) {
        const DocumentAnswer doc = readDocument(fptr, last);
        if (const auto when = doc.moment()) {
            t.lastDate = drv::dateTimeText(local(*when));
            t.last = local(*when).date();
        }
        t.lastShift = doc.tlv(QStringLiteral("1038")).value_or(QStringLiteral("-1"));
    }
    return t;
}

bool acceptsNumberKey(QChar key) {
    return (key >= u'0' && key <= u'9') || key == QChar(8);
}

std::optional<qint64> nextDocument(const QString& numberText, const QString& lastNumberText) {
    const auto n = documentNumber(numberText);
    const auto last = documentNumber(lastNumberText);
    // Past the last document there is nothing to show.
    if (!n || !last || *n >= *last) return std::nullopt;
    return *n + 1;
}

std::optional<qint64> previousDocument(const QString& numberText, const QString& lastNumberText) {
    const auto n = documentNumber(numberText);
    // Document numbers start at 1.
    if (!n || !documentNumber(lastNumberText) || *n <= 1) return std::nullopt;
    return *n - 1;
}

QString dayText(const QDate& day) {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), "yyyy");
    return QLocale().toString(day, format);
}

QString noDocumentsLine(const QDate& day) {
    return QStringLiteral("За указанную дату ") + dayText(day) +
           QStringLiteral(" документов не найдено");
}

WalkResult dateSearch(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark, const DateSearchInput& in,
                      const std::optional<QTimeZone>& zone) {
    Walker w(fptr, ui, mark);
    const auto last = documentNumber(in.lastNumber);
    if (in.lastDate.isEmpty() || !last) return w.result;
    const QString lastText = QString::number(*last);
    // An aborted or failed search leaves the last document number in the number box.
    const auto endWithLast = [&](WalkEnd e) -> WalkResult& {
        w.result.numberText = lastText;
        return w.end(e);
    };

    qint64 n = *last;
    // A document already read that the next step looks at (a jump that did not land on an
    // opening goes on from where it landed).
    std::optional<DocumentAnswer> carried;
    while (n >= 1) {
        std::optional<DocumentAnswer> doc;
        if (carried) {
            if (!mark.isSet()) return endWithLast(WalkEnd::Aborted);
            ui.processEvents();
            if (!mark.isSet()) return endWithLast(WalkEnd::Aborted);
            doc = std::move(carried);
            carried.reset();
        } else {
            doc = w.read(n, Walker::Wait::Pause);
            if (!doc) return endWithLast(w.result.end);
        }
        const auto when = doc->moment();
        if (when && localDay(*when, zone) < in.day) {
            w.result.viewLine = noDocumentsLine(in.day);
            return w.end(WalkEnd::NoDocuments);
        }
        switch (doc->docClass()) {
            case DocClass::OpenShift:
                if (when && localDay(*when, zone) == in.day) return w.show(n);
                n -= 2;  // past the closing document of the shift before
                break;
            case DocClass::CloseShift:
                n -= 1;
                break;
            case DocClass::Check:
                if (const auto m = jumpBack(*doc, n, 0)) {
                    auto opening = w.read(*m, Walker::Wait::None);
                    if (!opening) return endWithLast(w.result.end);
                    if (opening->isShort()) {
                        ui.message(kSearchInArchive);
                        return endWithLast(WalkEnd::InArchive);
                    }
                    const auto openedAt = opening->moment();
                    const auto shift = doc->integer(QStringLiteral("1038"));
                    const auto landedShift = opening->integer(QStringLiteral("1038"));
                    if (!openedAt || (shift && landedShift && *shift != *landedShift)) {
                        // No date to compare, or a receipt number reaching into an earlier
                        // shift: one document back instead of the jump.
                        n -= 1;
                    } else if (opening->docClass() != DocClass::OpenShift) {
                        // Other documents inside the shift (exchange reports) make the receipt
                        // number fall short of the opening: go on from the landing point.
                        n = *m;
                        carried = std::move(opening);
                    } else if (localDay(*openedAt, zone) == in.day) {
                        return w.show(*m);
                    } else {
                        n = *m - 2;
                    }
                    break;
                }
                n -= 1;
                break;
            default:
                n -= 1;
                break;
        }
    }
    return w.end(WalkEnd::NotFound);
}

WalkResult previousShift(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark,
                         const ShiftStepInput& in) {
    Walker w(fptr, ui, mark);
    if (!documentNumber(in.lastNumber)) return w.result;
    const auto n = documentNumber(in.number);
    if (!n) return w.result;
    if (shownFromArchive(in.view)) return w.inArchive(kShiftStepInArchive);
    if (in.clearView) in.clearView();
    ui.processEvents();
    if (*n <= 1) return w.result;

    auto doc = w.read(*n, Walker::Wait::Events);
    if (!doc) return w.result;
    std::optional<qint64> opening;
    if (doc->docClass() == DocClass::OpenShift) {
        // An opening is shown: the shift before, past its closing document.
        const qint64 p = *n - 2;
        if (p < 1) return w.end(WalkEnd::NotFound);
        auto before = w.read(p, Walker::Wait::Events);
        if (!before) return w.result;
        opening = findOpening(w, p, std::move(*before), 0);
    } else {
        opening = findOpening(w, *n, std::move(*doc), 0);
    }
    if (opening) return w.show(*opening);
    return w.result;
}

WalkResult nextShift(drv::Fptr& fptr, ui::IUi& ui, const RunMark& mark, const ShiftStepInput& in) {
    Walker w(fptr, ui, mark);
    const auto base = documentNumber(in.number);
    const auto last = documentNumber(in.lastNumber);
    if (!base || !last) return w.result;
    if (shownFromArchive(in.view)) return w.inArchive(kShiftStepInArchive);

    QString currentText = in.curShift;
    for (const QString& line : in.view) {
        const int colon = int(line.indexOf(u':'));
        if (!line.contains(kShiftLine) || colon < 0) continue;
        currentText = line.mid(colon + 1, 100).trimmed();
        break;
    }
    // -1 for unknown: "-1" is what the form holds for a document without shift.
    qint64 current = std::max<qint64>(wholeNumber(currentText).value_or(-1), -1);
    const qint64 lastShift = std::max<qint64>(wholeNumber(in.lastShift).value_or(-1), -1);
    if (current >= 0 && lastShift >= 0 && current >= lastShift) return w.result;
    if (*base < 1 || *base >= *last) return w.result;

    if (in.clearView) in.clearView();
    qint64 lo = *base;      // known to lie in the current shift or before it
    qint64 hi = *last + 1;  // known to lie past the next shift (or past the archive)

    if (current < 0) {
        // The shown document belongs to no shift (a registration or exchange report): the
        // first document after it that carries a shift number decides. An opening is the
        // answer; any other document gives the current shift.
        for (qint64 p = *base + 1; p <= *last && current < 0; ++p) {
            auto doc = w.read(p, Walker::Wait::Events);
            if (!doc) return w.result;
            const auto s = doc->integer(QStringLiteral("1038"));
            if (!s) continue;
            if (doc->docClass() == DocClass::OpenShift) return w.show(p);
            current = *s;
            lo = p;
        }
        if (current < 0) return w.end(WalkEnd::NotFound);
        if (lastShift >= 0 && current >= lastShift) return w.end(WalkEnd::NotFound);
    }

    // The probe starts 30 documents ahead, doubles its step while it stays in the current shift
    // and divides it by the shift distance (plus 2) when it overshoots; a document without a
    // shift number moves it one document on. It can settle on a step that probes the same
    // document again (step 4 two shifts ahead gives 4 / 2 + 2 = 4). So every probe also narrows
    // a bracket: `lo` the highest document known to be in the current shift or before it, `hi`
    // the lowest known to be past the next shift. Once the probe's candidate falls outside the
    // bracket, or after floor(log2(last)) + 1 probes, the walk bisects the bracket instead.
    // Every document read lies strictly inside the bracket and every read narrows it or moves
    // a run of documents without shift number forward inside it, so no document is read twice
    // and the walk ends; without such runs it takes at most 2 * log2(last) + 4 reads.
    const int maxProbes = std::bit_width(quint64(*last));
    qint64 step = 30;
    bool probing = true;
    int probes = 0;
    qint64 runStart = 0;  // first of the documents without shift number just read; 0: none
    qint64 cand = 0;
    for (;;) {
        if (runStart > 0) {
            ++cand;
            if (cand >= hi) {
                // Nothing in [runStart, hi) carries a shift number, so the next shift's opening
                // is not there.
                hi = runStart;
                runStart = 0;
                probing = false;
                continue;
            }
        } else {
            if (probing) {
                cand = std::min(*base + step, *last);
                if (cand <= lo || cand >= hi || probes >= maxProbes)
                    probing = false;
                else
                    ++probes;
            }
            if (!probing) {
                if (hi - lo <= 1) return w.end(WalkEnd::NotFound);
                cand = lo + (hi - lo) / 2;
            }
        }
        auto doc = w.read(cand, Walker::Wait::Events);
        if (!doc) return w.result;
        const auto s = doc->integer(QStringLiteral("1038"));
        if (!s) {
            if (runStart == 0) runStart = cand;
            step = cand + 1 - *base;
            continue;
        }
        const qint64 d = *s - current;
        if (d == 1) {
            const auto opening = findOpening(w, cand, std::move(*doc), lo);
            if (opening) return w.show(*opening);
            return w.result;
        }
        if (d <= 0) {
            lo = cand;
        } else {
            hi = runStart > 0 ? runStart : cand;
        }
        runStart = 0;
        if (d == 0)
            step = std::min(step * 2, *last);
        else
            step = step / d + 2;
    }
}

}  // namespace documents
