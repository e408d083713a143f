#include "settings/SettingsTable.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/Names.h"
#include "settings/Groups.h"

namespace settings {
QList<int> changedRows(const SettingRows& rows) {
    QList<int> out;
    for (int i = 0; i < rows.size(); ++i)
        if (!rows[i].isCaption() && rows[i].changed()) out.append(i);
    return out;
}

QList<bool> rowsMatching(const SettingRows& rows, const QString& filter) {
    const QString wanted = filter.simplified();
    const QStringList words = wanted.split(u' ', Qt::SkipEmptyParts);
    QList<bool> shown(rows.size(), wanted.isEmpty());
    if (wanted.isEmpty()) return shown;
    int caption = -1;
    for (int i = 0; i < rows.size(); ++i) {
        const SettingRow& r = rows[i];
        if (r.isCaption()) {
            caption = i;
            continue;
        }
        bool match = r.id == wanted;
        if (!match) {
            match = true;
            for (const QString& w : words) match = match && r.name.contains(w, Qt::CaseInsensitive);
        }
        shown[i] = match;
        if (match && caption >= 0) shown[caption] = true;
    }
    return shown;
}

DeviceTable readSettingsTable(drv::Fptr& fptr, ui::IUi& ui) {
    // Names are looked up once per pass, not once per record.
    const int recordsId = fptr.c(drv::names::LIBFPTR_PARAM_RECORDS_ID);
    const int settingId = fptr.c(drv::names::LIBFPTR_PARAM_SETTING_ID);
    const int settingType = fptr.c(drv::names::LIBFPTR_PARAM_SETTING_TYPE);
    const int settingValue = fptr.c(drv::names::LIBFPTR_PARAM_SETTING_VALUE);
    const int okResult = fptr.c(drv::names::LIBFPTR_OK);
    const int number = fptr.c(drv::names::LIBFPTR_ST_NUMBER);
    const int boolean = fptr.c(drv::names::LIBFPTR_ST_BOOL);
    const int string = fptr.c(drv::names::LIBFPTR_ST_STRING);

    fptr.setParam(drv::names::LIBFPTR_PARAM_RECORDS_TYPE, fptr.c(drv::names::LIBFPTR_RT_SETTINGS));
    fptr.beginReadRecords();
    ui::reportDriverError(fptr, ui, true, QString());
    const QString records = fptr.getParamString(recordsId);

    DeviceTable table;
    for (;;) {
        ui.processEvents();  // one record per turn of the event loop: the window stays alive
        fptr.setParam(recordsId, records);
        if (fptr.readNextRecord() != okResult) break;
        DeviceSetting s;
        s.id = QString::number(fptr.getParamInt(settingId));
        const int type = fptr.getParamInt(settingType);
        if (type == number)
            s.raw = QString::number(fptr.getParamInt(settingValue));
        else if (type == boolean)
            s.raw = fptr.getParamBool(settingValue) ? QStringLiteral("1") : QStringLiteral("0");
        else if (type == string)
            s.raw = fptr.getParamString(settingValue);
        table.append(s);
    }

    fptr.setParam(recordsId, records);
    fptr.endReadRecords();
    ui::reportDriverError(fptr, ui, true, QString());
    return table;
}

SettingRows layoutSettings(const DeviceTable& table, const Catalogue& catalogue) {
    const auto& all = groups();
    QList<QStringList> members(all.size());
    QList<QSet<QString>> seen(all.size());
    QHash<QString, QString> rawOf;  // the first entry of an identifier counts
    for (const auto& s : table) {
        rawOf.insert(s.id, rawOf.value(s.id, s.raw));
        bool isNumber = false;
        const int g = groupOf(s.id.toInt(&isNumber));
        if (!isNumber || g < 0 || seen[g].contains(s.id)) continue;
        seen[g].insert(s.id);
        members[g].append(s.id);
    }

    SettingRows rows;
    for (int g = 0; g < all.size(); ++g) {
        if (members[g].isEmpty()) continue;
        SettingRow caption;
        caption.name = QStringLiteral("[%1]").arg(all[g].name);
        caption.mark = kCaptionMark;
        rows.append(caption);
        const bool cliche = all[g].name == kClicheGroup;
        for (const QString& id : members[g]) {
            const QString name = catalogue.name(id);
            if (name == kNoName) continue;
            SettingRow row;
            row.id = id;
            row.name = name;
            row.kind = catalogue.kind(id);
            row.raw = rawOf.value(id);
            row.shown = cliche ? toShownMarks(row.raw) : catalogue.shownValue(id, row.raw);
            row.baseline = row.shown;
            row.description = catalogue.description(id);
            rows.append(row);
        }
    }
    return rows;
}

QString catalogueFile(const QString& programDir, bool isP5) {
    return QDir(programDir)
        .filePath(isP5 ? QStringLiteral("pf/set5x.ini") : QStringLiteral("pf/set3x.ini"));
}

std::optional<SettingsRead> readSettings(drv::Fptr& fptr, ui::IUi& ui, const QString& programDir,
                                         bool isP5) {
    const DeviceTable table = readSettingsTable(fptr, ui);
    const QString path = catalogueFile(programDir, isP5);
    if (!QFileInfo::exists(path)) {
        ui.message(kNoCatalogue, ui::Icon::Error);
        return std::nullopt;
    }
    QString error;
    auto catalogue = Catalogue::load(path, &error);
    if (!catalogue) {
        ui.message(error, ui::Icon::Error);
        return std::nullopt;
    }
    ui.processEvents();
    SettingsRead read{std::move(*catalogue), {}};
    read.rows = layoutSettings(table, read.catalogue);
    return read;
}

}  // namespace settings
