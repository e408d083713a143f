#include "emulator/Constants.h"

#include <QHash>
#include <stdexcept>
#include <string>

namespace emu {

int k(std::string_view name) {
    const auto v = drv::constantValue(name);
    if (!v) throw std::logic_error("Нет опубликованной константы драйвера " + std::string(name));
    return *v;
}

QString errorText(int code) {
    using namespace drv::names;
    static const QHash<int, QString> texts = {
        {k(LIBFPTR_OK), QStringLiteral("Ошибок нет")},
        {k(LIBFPTR_ERROR_CONNECTION_DISABLED), QStringLiteral("Соединение не установлено")},
        {k(LIBFPTR_ERROR_NO_CONNECTION), QStringLiteral("Нет связи")},
        {k(LIBFPTR_ERROR_PORT_BUSY), QStringLiteral("Порт занят")},
        {k(LIBFPTR_ERROR_PORT_NOT_AVAILABLE), QStringLiteral("Порт недоступен")},
        {k(LIBFPTR_ERROR_INCORRECT_DATA), QStringLiteral("Некорректные данные от устройства")},
        {k(LIBFPTR_ERROR_NO_REQUIRED_PARAM), QStringLiteral("Не указан обязательный параметр")},
        {k(LIBFPTR_ERROR_NOT_SUPPORTED), QStringLiteral("Не поддерживается в данной версии")},
        {k(LIBFPTR_ERROR_INVALID_MODE), QStringLiteral("Неверный режим")},
        {k(LIBFPTR_ERROR_INVALID_PARAM), QStringLiteral("Неверный параметр")},
        {k(LIBFPTR_ERROR_INVALID_SETTINGS), QStringLiteral("Неверные настройки связи")},
        {k(LIBFPTR_ERROR_INVALID_SUM), QStringLiteral("Неверная сумма")},
        {k(LIBFPTR_ERROR_NO_PAPER), QStringLiteral("Нет бумаги")},
        {k(LIBFPTR_ERROR_COVER_OPENED), QStringLiteral("Открыта крышка")},
        {k(LIBFPTR_ERROR_NO_MEMORY), QStringLiteral("Недостаточно памяти")},
        {k(LIBFPTR_ERROR_PICTURE_NOT_FOUND), QStringLiteral("Картинка не найдена")},
        {k(LIBFPTR_ERROR_SHIFT_EXPIRED), QStringLiteral("Смена превысила 24 часа")},
        {k(LIBFPTR_ERROR_DENIED_IN_CLOSED_SHIFT),
         QStringLiteral("Операция невозможна в закрытой смене")},
        {k(LIBFPTR_ERROR_NO_CASH), QStringLiteral("Недостаточно наличности в кассе")},
        {k(LIBFPTR_ERROR_DENIED_IN_CLOSED_RECEIPT),
         QStringLiteral("Операция невозможна в закрытом чеке")},
        {k(LIBFPTR_ERROR_DENIED_IN_OPENED_RECEIPT),
         QStringLiteral("Операция невозможна в открытом чеке")},
        {k(LIBFPTR_ERROR_DENIED_IN_OPENED_SHIFT),
         QStringLiteral("Операция невозможна в открытой смене")},
        {k(LIBFPTR_ERROR_FN_NO_MORE_DATA), QStringLiteral("Нет больше данных")},
        {k(LIBFPTR_ERROR_FILE_NOT_FOUND), QStringLiteral("Файл не найден")},
        {k(LIBFPTR_ERROR_PICTURE_TOO_BIG), QStringLiteral("Картинка слишком большая")},
        {k(LIBFPTR_ERROR_INVALID_PICTURE_NUMBER), QStringLiteral("Неверный номер картинки")},
        {k(LIBFPTR_ERROR_INVALID_SETTING_VALUE), QStringLiteral("Неверное значение настройки")},
        {k(LIBFPTR_ERROR_FN_NOT_FOUND), QStringLiteral("ФН не найден")},
        {k(LIBFPTR_ERROR_CHANGE_SETTING_DENIED), QStringLiteral("Изменение настройки запрещено")},
        {k(LIBFPTR_ERROR_INVALID_BARCODE_PARAMS), QStringLiteral("Неверные параметры штрихкода")},
        {k(LIBFPTR_ERROR_BARCODE_TYPE_NOT_SUPPORTED),
         QStringLiteral("Тип штрихкода не поддерживается")},
        {k(LIBFPTR_ERROR_INVALID_QUANTITY), QStringLiteral("Неверное количество")},
        {k(LIBFPTR_ERROR_QUANTITY_TOO_FEW), QStringLiteral("Слишком малое количество")},
        {k(LIBFPTR_ERROR_INVALID_RECEIPT_TYPE), QStringLiteral("Неверный тип чека")},
        {k(LIBFPTR_ERROR_INVALID_PAYMENT_TYPE), QStringLiteral("Неверный вид оплаты")},
        {k(LIBFPTR_ERROR_NOT_FULLY_PAID), QStringLiteral("Чек оплачен не полностью")},
        {k(LIBFPTR_ERROR_INVALID_TAXATION_TYPE),
         QStringLiteral("Неверная система налогообложения")},
        {k(LIBFPTR_ERROR_INVALID_TAX_TYPE), QStringLiteral("Неверный тип налога")},
        {k(LIBFPTR_ERROR_RECEIPT_PARSE_ERROR), QStringLiteral("Ошибка разбора задания")},
        {k(LIBFPTR_ERROR_VALIDATE_FUNC_NOT_FOUND),
         QStringLiteral("Не найдена функция проверки задания")},
    };
    return texts.value(code, QStringLiteral("Ошибка %1").arg(code));
}

QString errorRecommendation(int code) {
    using namespace drv::names;
    static const QHash<int, QString> texts = {
        {k(LIBFPTR_ERROR_CONNECTION_DISABLED), QStringLiteral("Установите соединение с ККТ")},
        {k(LIBFPTR_ERROR_NO_CONNECTION),
         QStringLiteral("Проверьте, что ККТ включена и подключена, и настройки связи")},
        {k(LIBFPTR_ERROR_PORT_BUSY), QStringLiteral("Закройте программу, которая заняла порт")},
        {k(LIBFPTR_ERROR_PORT_NOT_AVAILABLE),
         QStringLiteral("Проверьте подключение ККТ и настройки порта")},
        {k(LIBFPTR_ERROR_INVALID_SETTINGS), QStringLiteral("Проверьте настройки связи")},
        {k(LIBFPTR_ERROR_NOT_SUPPORTED), QStringLiteral("Обновите драйвер или прошивку ККТ")},
        {k(LIBFPTR_ERROR_NO_PAPER), QStringLiteral("Вставьте бумагу")},
        {k(LIBFPTR_ERROR_COVER_OPENED), QStringLiteral("Закройте крышку ККТ")},
        {k(LIBFPTR_ERROR_SHIFT_EXPIRED), QStringLiteral("Закройте смену")},
        {k(LIBFPTR_ERROR_FN_NOT_FOUND), QStringLiteral("Проверьте подключение ФН")},
    };
    return texts.value(code);
}

}  // namespace emu
