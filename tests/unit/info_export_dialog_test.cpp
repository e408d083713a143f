// The save dialog flow of the report lists: extensions from the chosen filter, CSV under .csv.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/ui/widgets/FileDialog.h"
#include "app/ui/widgets/MessageBox.h"
#include "app/ui/widgets/ReportList.h"
#include "info/ui/ListExport.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

}  // namespace

TEST(InfoExportDialog, DefaultExtensionFollowsTheChosenFilter) {
    QTemporaryDir dir;
    const QString name = dir.filePath("report");
    const auto save = [&](const QString& answer, int filter, const QString& filterText) {
        ui::FileDialog::setNextFileName(answer, filter);
        return ui::FileDialog::save(nullptr, filterText, "txt", QString());
    };
    for (const QString& filter : {info::kSaveFilterTxtCsv, info::kSaveFilterTxtCsvReg}) {
        EXPECT_EQ(save(name, 1, filter).fileName, name + ".txt");
        const auto csv = save(name, 2, filter);
        EXPECT_EQ(csv.fileName, name + ".csv");
        EXPECT_EQ(csv.filterIndex, 2);
        // a name with an extension of its own keeps it, whatever the filter
        EXPECT_EQ(save(name + ".dat", 2, filter).fileName, name + ".dat");
        EXPECT_EQ(save(name + ".txt", 2, filter).fileName, name + ".txt");
        // cancelled stays cancelled
        EXPECT_EQ(save(QString(), 2, filter).fileName, QString());
    }
    // a filter without one extension of its own falls back to the default extension
    EXPECT_EQ(save(name, 2, "Текст (*.txt)|*.txt|Все файлы (*.*)|*.*").fileName, name + ".txt");
    EXPECT_EQ(save(name, 2, "Текст (*.txt)|*.txt|Отчёты (*.csv;*.txt)|*.csv;*.txt").fileName,
              name + ".csv");
}

TEST(InfoExportDialog, CsvFilterWritesCsvUnderCsvName) {
    struct RecordingUi : ui::IUi {
        QStringList shown;
        void message(const QString& text, ui::Icon, std::optional<QString>) override {
            shown << text;
        }
        bool confirm(const QString& text, ui::Icon, bool) override {
            shown << text;
            return true;
        }
        void processEvents() override {}
        void pause(int) override {}
    } recorder;
    ui::MessageBox::setTestMode(true);
    QTemporaryDir dir;
    ui::ReportList list;
    list.setObjectName("lvKKMinfo");
    list.setColumns({{"Свойства ККМ", 240}, {"Значение", 100}});
    list.addDataRow({"Напряжение батареи часов", "3,1 В"});
    const QString name = dir.filePath("kkm");
    ui::FileDialog::setNextFileName(name, 2);
    info::saveListToFile(&list, recorder, "lvKKMinfo", info::kSaveFilterTxtCsv);
    EXPECT_TRUE(recorder.shown.isEmpty()) << recorder.shown.join('|').toStdString();
    EXPECT_FALSE(QFileInfo::exists(name + ".txt"));
    EXPECT_EQ(readFile(name + ".csv"), info::ansiFileBytes({"<Свойства ККМ>;<Значение>", ";",
                                                            "Напряжение батареи часов;\"3,1 В\""}));
    EXPECT_EQ(info::saveTextFileDialog().fileName, name + ".csv");
    // the text filter with the same bare name writes the text layout under .txt
    ui::FileDialog::setNextFileName(name, 1);
    info::saveListToFile(&list, recorder, "lvKKMinfo", info::kSaveFilterTxtCsv);
    EXPECT_TRUE(readFile(name + ".txt").startsWith(info::ansiBytes("Свойства ККМ ")));
    EXPECT_TRUE(readFile(name + ".csv").startsWith("<"));
    ui::MessageBox::setTestMode(false);
}
