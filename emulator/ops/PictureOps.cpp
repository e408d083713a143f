// Pictures in device memory, the cliche (header lines, kept in settings 184 to 193) and the
// footer lines.
#include <QFile>

#include "emulator/ops/Call.h"

namespace emu {
namespace {

using namespace drv::names;

constexpr int kFirstClicheSetting = 184;
constexpr int kClicheLines = 10;
constexpr int kFooterLines = 10;

bool validNumber(int n) {
    return n >= 0 && n < PictureStore::kMaxNumbered;
}

std::optional<int> pictureNumber(const Call& c) {
    const auto n = c.inNumber(LIBFPTR_PARAM_PICTURE_NUMBER);
    if (!n || *n < INT_MIN || *n > INT_MAX) return std::nullopt;
    return int(*n);
}

int upload(Call& c, PictureStore::Model as) {
    const QString file = c.in(LIBFPTR_PARAM_FILENAME).toString();
    c.clearOut();
    if (file.isEmpty()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const auto result = c.reg().pictures.upload(file, as);
    if (result.code) return c.fail(result.code);
    c.out(LIBFPTR_PARAM_PICTURE_NUMBER, result.number);
    return c.ok();
}

int doUploadMemory(Call& c) {
    return upload(c, PictureStore::Model::Numbered);
}
int doUploadCliche(Call& c) {
    return upload(c, PictureStore::Model::SingleCliche);
}

int doDownloadPicture(Call& c) {
    const auto number = pictureNumber(c);
    if (!number) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    if (!validNumber(*number)) return c.fail(LIBFPTR_ERROR_INVALID_PICTURE_NUMBER);
    const auto result = c.reg().pictures.download(*number, c.in(LIBFPTR_PARAM_FILENAME).toString());
    return c.result(result.code);
}

int doClearPictures(Call& c) {
    c.reg().pictures.clear();
    return c.ok();
}

int doPrintPicture(Call& c) {
    Register& r = c.reg();
    const QString file = c.in(LIBFPTR_PARAM_FILENAME).toString();
    if (file.isEmpty()) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    if (!QFile::exists(file)) return c.fail(LIBFPTR_ERROR_FILE_NOT_FOUND);
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.journal->append(QStringLiteral("picture"), file,
                      {{QStringLiteral("alignment"), c.in(LIBFPTR_PARAM_ALIGNMENT).toString()}});
    return c.ok();
}

int doPrintPictureByNumber(Call& c) {
    Register& r = c.reg();
    const auto number = pictureNumber(c);
    if (!number) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    if (!validNumber(*number)) return c.fail(LIBFPTR_ERROR_INVALID_PICTURE_NUMBER);
    if (!r.pictures.find(*number)) return c.fail(LIBFPTR_ERROR_PICTURE_NOT_FOUND);
    if (const int fault = printerFault(r)) return c.fail(fault);
    r.journal->append(QStringLiteral("picture"), QString::number(*number),
                      {{QStringLiteral("alignment"), c.in(LIBFPTR_PARAM_ALIGNMENT).toString()}});
    return c.ok();
}

int doPrintCliche(Call& c) {
    Register& r = c.reg();
    if (const int fault = printerFault(r)) return c.fail(fault);
    for (int i = 0; i < kClicheLines; ++i) {
        const Setting* s = r.settings.find(kFirstClicheSetting + i);
        if (s && s->type == Setting::Type::String && !s->text.isEmpty())
            r.journal->append(QStringLiteral("cliche"), s->text);
    }
    return c.ok();
}

QStringList linesOf(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t.split(QLatin1Char('\n'));
}

int doSetHeaderLines(Call& c) {
    Register& r = c.reg();
    if (!c.has(LIBFPTR_PARAM_TEXT)) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const QString text = c.in(LIBFPTR_PARAM_TEXT).toString();
    const QStringList lines = text == QString(QChar(0)) ? QStringList() : linesOf(text);
    if (lines.size() > kClicheLines) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    for (int i = 0; i < kClicheLines; ++i) {
        const auto w = r.settings.write(kFirstClicheSetting + i, lines.value(i));
        if (w.code) return c.fail(w.code, w.description);
    }
    return c.ok();
}

int doSetFooterLines(Call& c) {
    Register& r = c.reg();
    if (!c.has(LIBFPTR_PARAM_TEXT)) return c.fail(LIBFPTR_ERROR_NO_REQUIRED_PARAM);
    const QString text = c.in(LIBFPTR_PARAM_TEXT).toString();
    // a lone U+0000 clears the footer
    const QStringList lines = text == QString(QChar(0)) ? QStringList() : linesOf(text);
    if (lines.size() > kFooterLines) return c.fail(LIBFPTR_ERROR_INVALID_PARAM);
    r.footerLines = lines;
    return c.ok();
}

}  // namespace

void addPictureOperations(OperationTable& t) {
    namespace m = drv::members;
    t.insert(m::uploadPictureMemory, {&doUploadMemory, true, false});
    t.insert(m::uploadPictureCliche, {&doUploadCliche, true, false});
    t.insert(m::downloadPicture, {&doDownloadPicture, true, false});
    t.insert(m::clearPictures, {&doClearPictures, true, false});
    t.insert(m::printPicture, {&doPrintPicture, true, false});
    t.insert(m::printPictureByNumber, {&doPrintPictureByNumber, true, false});
    t.insert(m::printCliche, {&doPrintCliche, true, false});
    t.insert(m::setHeaderLines, {&doSetHeaderLines, true, false});
    t.insert(m::setFooterLines, {&doSetFooterLines, true, false});
}

}  // namespace emu
