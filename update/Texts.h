#pragma once
// The texts of the driver download that both the rules and the dialog show.
#include <QString>

namespace update::text {

inline const QString kCaption = QStringLiteral("Загрузка драйверов");
inline const QString kDownload = QStringLiteral("Скачать");
inline const QString kCancel = QStringLiteral("Отмена");
inline const QString kServerUnavailable = QStringLiteral("Сервер недоступен");
inline const QString kNone = QStringLiteral("Нет");
inline const QString kDownloadFailed = QStringLiteral("Не удалось загрузить файл");
inline const QString kDriverReadyAskClose = QStringLiteral(
    "Драйвер загружен и готов к установке. На время установки программу нужно закрыть, закрыть "
    "сейчас?");
inline const QString kDriverReadyRestart = QStringLiteral(
    "Драйвер загружен и готов к установке. После установки программу нужно перезапустить.");
inline const QString kUsbcomReady = QStringLiteral(
    "Драйвер загружен и готов к установке. После установки, устройства KKM возможно понадобится "
    "переподключить или перезагрузить.");

// Our own texts for failures the download has to tell apart.
inline const QString kListRejected = QStringLiteral("Список версий \"upset.txt\" не принят: ");
inline const QString kHistoryRejected = QStringLiteral("Файл истории версий не принят: ");
inline const QString kTlsRefused =
    QStringLiteral("Соединение с сервером отклонено: сертификат сервера не прошёл проверку.");
inline const QString kRequestFailed = QStringLiteral("Ошибка при обращении к серверу: ");
inline const QString kBadFileName =
    QStringLiteral("Адрес загрузки не содержит допустимого имени файла: ");
inline const QString kOpenFailed = QStringLiteral("Не удалось открыть файл ");
inline const QString kNoLinuxPackage =
    QStringLiteral("Для Linux скачайте пакет драйвера с сайта производителя");
inline const QString kLinuxPackageOffered = QStringLiteral(" (пакет для Linux)");

}  // namespace update::text
