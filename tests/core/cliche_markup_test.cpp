// Cliche line markup: the edits of the formatting controls as golden cases, the two line forms,
// what a line shows in the controls and the footer text.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include "cliche/Markup.h"

using namespace cliche;

namespace {

QString dataPath(const QString& name) {
    return QStringLiteral(VELMOR_SOURCE_DIR "/tests/data/cliche/") + name;
}

QStringList fileLines(const QString& name) {
    QFile f(dataPath(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith('\n')) text.chop(1);
    return text.split('\n');
}

QString onOff(const QString& arg, bool* on) {
    *on = arg.startsWith(QStringLiteral("on:"));
    return *on ? arg.mid(3) : QString();
}

// One edit of edits.txt.
QString applyEdit(const QString& op, const QString& arg, const QString& line) {
    bool on = false;
    if (op == "font") return setFont(line, arg);
    if (op == "align") {
        const Align a = arg == "left"     ? Align::Left
                        : arg == "center" ? Align::Center
                                          : Align::Right;
        return setAlignment(line, a);
    }
    if (op == "offset") {
        const QString v = onOff(arg, &on);
        return setTopOffset(line, on, v);
    }
    if (op == "picoffset") {
        const QString v = onOff(arg, &on);
        return setPictureTopOffset(line, on, v);
    }
    if (op == "picplace") {
        if (arg.startsWith("offset:"))
            return setPicturePlacement(line, Placement::Offset, arg.mid(7));
        const Placement p = arg == "left"    ? Placement::Left
                            : arg == "right" ? Placement::Right
                                             : Placement::Center;
        return setPicturePlacement(line, p);
    }
    if (op == "enlarge") {
        const Enlarge e = toggleEnlarged(line);
        if (e.outcome == Enlarge::Outcome::Discarded) return "<discarded>";
        if (e.outcome == Enlarge::Outcome::Refused) return "<refused>";
        return e.text;
    }
    ADD_FAILURE() << "unknown edit " << op.toStdString();
    return {};
}

}  // namespace

TEST(ClicheMarkup, GoldenEdits) {
    QStringList cases;
    for (const QString& l : fileLines("edits.txt"))
        if (!l.startsWith('#') && !l.isEmpty()) cases << l;
    const QStringList expected = fileLines("edits.expected");
    ASSERT_EQ(cases.size(), expected.size());
    ASSERT_GE(cases.size(), 20);
    for (int i = 0; i < cases.size(); ++i) {
        const QStringList parts = cases[i].split('\t');
        ASSERT_EQ(parts.size(), 3) << cases[i].toStdString();
        EXPECT_EQ(applyEdit(parts[0], parts[1], parts[2]), expected[i])
            << "case " << i + 1 << ": " << cases[i].toStdString();
    }
}

TEST(ClicheMarkup, RegisterAndDisplayFormsRoundTrip) {
    const QStringList reg = fileLines("forms-register.txt");
    const QStringList shown = fileLines("forms-display.txt");
    ASSERT_EQ(reg.size(), shown.size());
    EXPECT_EQ(toDisplay(reg), shown);
    EXPECT_EQ(toRegister(shown), reg);
    for (const QString& l : reg) {
        EXPECT_EQ(toRegister(toDisplay(l)), l);
        EXPECT_FALSE(toDisplay(l).contains(QChar(kRegisterFont)));
    }
    // the font mark is the only difference between the two forms
    EXPECT_EQ(toDisplay(QString::fromUtf8("↓1↓»A¶")), QString::fromUtf8("↓1↓»A¶"));
}

TEST(ClicheMarkup, FormatShownForTextLines) {
    auto f = formatOf(QString::fromUtf8("⇌↓5↓ᚥ02ᚥ»A»B C"));
    EXPECT_EQ(f.kind, LineFormat::Kind::Text);
    EXPECT_EQ(f.align, Align::Center);
    EXPECT_TRUE(f.hasTopOffset);
    EXPECT_EQ(f.topOffset, "5");
    EXPECT_EQ(f.font, 2);

    // the first of left, centre, right found wins in that order
    EXPECT_EQ(formatOf(QString::fromUtf8("⇉x⇇")).align, Align::Left);
    f = formatOf(QString::fromUtf8("Текст"));
    EXPECT_EQ(f.align, Align::None);
    EXPECT_FALSE(f.hasTopOffset);
    EXPECT_EQ(f.topOffset, "0");
    EXPECT_EQ(f.font, -1);
    // a font outside 0 to 3 or no number shows no font
    EXPECT_EQ(formatOf(QString::fromUtf8("ᚥ07ᚥx")).font, -1);
    EXPECT_EQ(formatOf(QString::fromUtf8("ᚥabᚥx")).font, -1);
    EXPECT_EQ(formatOf("   ").kind, LineFormat::Kind::Empty);
}

TEST(ClicheMarkup, FormatShownForPictureLines) {
    auto f = formatOf(QString::fromUtf8("↓20↓¶ 1 ,Center¶"));
    EXPECT_EQ(f.kind, LineFormat::Kind::Picture);
    EXPECT_EQ(f.placement, Placement::Center);
    EXPECT_TRUE(f.hasTopOffset);
    EXPECT_EQ(f.topOffset, "20");
    f = formatOf(QString::fromUtf8("¶1,15¶"));
    EXPECT_EQ(f.placement, Placement::Offset);
    EXPECT_EQ(f.leftOffset, "15");
    EXPECT_FALSE(f.hasTopOffset);
    EXPECT_EQ(formatOf(QString::fromUtf8("¶1,x¶")).placement, Placement::None);
    EXPECT_EQ(formatOf(QString::fromUtf8("¶1¶")).placement, Placement::None);
    EXPECT_EQ(pictureLine("10"), QString::fromUtf8("↓20↓¶10,center¶"));
}

TEST(ClicheMarkup, EnlargedCharactersKeepBlanksAndWholeCharacters) {
    EXPECT_EQ(toggleEnlarged(QString::fromUtf8("Чек 1")).text, QString::fromUtf8("»Ч»е»к »1"));
    // a character outside the basic plane gets one mark, not two
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(toggleEnlarged(emoji).text, QChar(kEnlarged) + emoji);
    // a selection holding any mark other than "»" is refused and the edit dropped
    for (const char* s : {"↓", "⇇", "⇉", "⇌", "ᚥ"})
        EXPECT_EQ(toggleEnlarged(QString::fromUtf8(s)).outcome, Enlarge::Outcome::Discarded) << s;
}

TEST(ClicheMarkup, FooterTextDropsOnlyTrailingEmptyRows) {
    QStringList rows(10);
    rows[0] = "A";
    rows[1] = QString::fromUtf8("ᚥ01ᚥB");
    rows[3] = "D";
    EXPECT_EQ(footerText(rows), QString::fromUtf8("A\r\n⤊01⤊B\r\n\r\nD"));
    EXPECT_EQ(footerText(QStringList(10)), QString(QChar(0)));
    rows[9] = " ";
    EXPECT_TRUE(footerText(rows).endsWith("\r\n "));
}
