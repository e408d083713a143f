#include "settings/SavePlan.h"

#include "app/Ui.h"
#include "driver/Fptr.h"
#include "driver/Names.h"

namespace settings {

QList<WriteStep> savePlan(const SettingRows& rows, const Catalogue& catalogue) {
    QList<WriteStep> steps;
    for (int i : changedRows(rows)) {
        const SettingRow& row = rows[i];
        if (row.kind == QLatin1String("#"))
            steps.append({i, row.id, catalogue.rawValue(row.id, row.shown), true});
        else if (row.kind == QLatin1String("$"))
            steps.append({i, row.id, toStoredMarks(row.shown), false});
    }
    return steps;
}

QString unverifiedQuestion(const SettingRows& rows, const Catalogue& catalogue) {
    QString names;
    for (const WriteStep& step : savePlan(rows, catalogue))
        if (rows[step.row].isUnverified())
            names += QStringLiteral("[%1] %2\n").arg(step.id, rows[step.row].name);
    if (names.isEmpty()) return {};
    return QStringLiteral(
               "Значение этих настроек не подтверждено описанием производителя, на "
               "этой ККТ номер может означать другое:\n\n") +
           names + QStringLiteral("\nЗаписать настройки в ККТ?");
}

QString failureLine(const SettingRow& row, const QString& description) {
    return QStringLiteral("[%1] %2 - %3").arg(row.id, row.name, description);
}

SaveOutcome saveSettings(drv::Fptr& fptr, SettingRows& rows, const Catalogue& catalogue,
                         ui::IUi* ui) {
    SaveOutcome out;
    out.steps = savePlan(rows, catalogue);
    const int settingId = fptr.c(drv::names::LIBFPTR_PARAM_SETTING_ID);
    const int settingValue = fptr.c(drv::names::LIBFPTR_PARAM_SETTING_VALUE);
    QList<int> written;
    for (const WriteStep& step : out.steps) {
        if (ui) ui->processEvents();
        if (step.choice) out.failureBuffer.clear();
        fptr.setParam(settingId, step.id);
        fptr.setParam(settingValue, step.value);
        fptr.writeDeviceSetting();
        if (fptr.errorCode() != 0) {
            out.failureBuffer = failureLine(rows[step.row], fptr.errorDescription());
            out.failures.append(out.failureBuffer);
        } else {
            written.append(step.row);
        }
    }
    fptr.commitSettings();
    out.commitCode = fptr.errorCode();
    if (out.commitCode != 0) {
        out.commitDescription = fptr.errorDescription();
        return out;  // nothing is kept: every edited row stays changed
    }
    for (int i : written) rows[i].baseline = rows[i].shown;
    out.savedRows = written;
    return out;
}

void reportSave(const SaveOutcome& outcome, ui::IUi& ui) {
    if (outcome.commitCode != 0) {
        ui.message(QStringLiteral("(%1) %2").arg(outcome.commitCode).arg(outcome.commitDescription),
                   ui::Icon::Information, outcome.failureBuffer);
        ui.message(kCommitFailed);
    } else if (!outcome.failures.isEmpty()) {
        QString text = kSaveErrors + QStringLiteral("\n\n");
        for (const QString& line : outcome.failures) text += line + QStringLiteral("\n");
        ui.message(text, ui::Icon::Warning);
    } else {
        ui.message(kSaved);
    }
}

}  // namespace settings
