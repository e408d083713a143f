// What a printed text takes on the virtual register's paper: the lines at the tape's width
// under each wrap mode, and the lines the print journal keeps for a printText call.
#include <gtest/gtest.h>

#include <QJsonArray>

#include "emulator/ops/Call.h"
#include "service_fakes.h"

namespace {

using drv::names::LIBFPTR_TW_CHARS;
using drv::names::LIBFPTR_TW_NONE;
using drv::names::LIBFPTR_TW_WORDS;

QStringList lines(const QString& text, int width, const char* wrap) {
    return emu::paperLines(text, width, emu::k(wrap));
}

}  // namespace

TEST(Paper, LinesAtTheTapeWidthUnderEachWrapMode) {
    const QString text = "Спасибо за покупку в нашем магазине";  // 35 characters
    EXPECT_EQ(lines(text, 16, LIBFPTR_TW_NONE), QStringList({"Спасибо за покуп"}));
    EXPECT_EQ(lines(text, 16, LIBFPTR_TW_CHARS),
              QStringList({"Спасибо за покуп", "ку в нашем магаз", "ине"}));
    EXPECT_EQ(lines(text, 16, LIBFPTR_TW_WORDS),
              QStringList({"Спасибо за", "покупку в нашем", "магазине"}));
    // A word longer than the tape is broken at the width.
    EXPECT_EQ(lines("Электрооборудование", 8, LIBFPTR_TW_WORDS),
              QStringList({"Электроо", "борудова", "ние"}));
    // Line breaks of the text are kept, empty lines too; a CR LF text prints no CR.
    EXPECT_EQ(lines("Итог\r\n\r\nСдача", 16, LIBFPTR_TW_NONE), QStringList({"Итог", "", "Сдача"}));
    EXPECT_EQ(lines("", 16, LIBFPTR_TW_WORDS), QStringList({""}));
    // A text of exactly the width is one line; a width below one character still ends.
    EXPECT_EQ(lines("12345678", 8, LIBFPTR_TW_CHARS), QStringList({"12345678"}));
    EXPECT_EQ(lines("abc", 0, LIBFPTR_TW_CHARS), QStringList({"a", "b", "c"}));
}

TEST(Paper, TheJournalKeepsThePaperLinesOfAPrintedText) {
    service_test::Bench b(R"({"com": "COM7", "serial": "007", "lineLength": 32})");
    ASSERT_EQ(b.reg()->lineLength, 32);
    auto& f = *b.fptr;
    const QString text = "Проверка печати длинной строки на ленте шириной 32 символа";
    f.setParam(f.c("LIBFPTR_PARAM_TEXT"), text);
    f.setParam(f.c("LIBFPTR_PARAM_TEXT_WRAP"), f.c("LIBFPTR_TW_WORDS"));
    ASSERT_EQ(f.call("printText", {}).toInt(), 0);
    // Double width: half as many characters a line.
    f.setParam(f.c("LIBFPTR_PARAM_TEXT"), QStringLiteral("Двойная ширина строки"));
    f.setParam(f.c("LIBFPTR_PARAM_FONT_DOUBLE_WIDTH"), true);
    ASSERT_EQ(f.call("printText", {}).toInt(), 0);

    const auto items = b.reg()->journal->items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].text, text);
    EXPECT_EQ(items[0].extra.value("lines").toArray(),
              QJsonArray({"Проверка печати длинной строки", "на ленте шириной 32 символа"}));
    EXPECT_EQ(items[0].extra.value("wrap").toString(), "1");
    EXPECT_EQ(items[1].extra.value("lines").toArray(), QJsonArray({"Двойная ширина с"}));
}
