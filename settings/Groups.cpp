#include "settings/Groups.h"

#include <QHash>
#include <utility>

namespace settings {
namespace {

using Spans = std::initializer_list<std::pair<int, int>>;

QList<int> idsOf(Spans spans) {
    QList<int> out;
    for (const auto& [from, to] : spans)
        for (int id = from; id <= to; ++id) out.append(id);
    return out;
}

}  // namespace

const QList<Group>& groups() {
    static const QList<Group> table = {
        {QStringLiteral("Общие"),
         idsOf({{0, 1},     {9, 11},    {32, 32},   {34, 34},   {36, 40},   {51, 51},   {56, 56},
                {64, 69},   {75, 76},   {237, 237}, {278, 280}, {285, 285}, {292, 292}, {299, 301},
                {303, 304}, {309, 311}, {314, 315}, {317, 323}, {334, 334}, {336, 339}, {343, 343},
                {345, 345}, {351, 355}, {358, 363}, {369, 370}, {374, 377}, {381, 384}})},
        {QStringLiteral("Печать"), idsOf({{8, 8},
                                          {12, 14},
                                          {19, 19},
                                          {23, 24},
                                          {26, 26},
                                          {28, 28},
                                          {87, 88},
                                          {330, 330},
                                          {347, 348},
                                          {386, 386}})},
        {QStringLiteral("Чек"), idsOf({{2, 2},
                                       {16, 16},
                                       {29, 31},
                                       {41, 41},
                                       {47, 48},
                                       {57, 58},
                                       {62, 62},
                                       {332, 333},
                                       {378, 379}})},
        {QStringLiteral("Отчеты"),
         idsOf({{3, 7}, {15, 15}, {17, 18}, {27, 27}, {42, 46}, {59, 61}, {302, 302}})},
        {QStringLiteral("Пользователи"), idsOf({{94, 148}, {150, 183}})},
        {QStringLiteral("Оплаты"), idsOf({{52, 52}, {63, 63}, {240, 257}})},
        {QStringLiteral("Налоги"), idsOf({{50, 50}, {53, 53}, {55, 55}, {368, 368}})},
        {kClicheGroup, idsOf({{35, 35}, {184, 203}})},
        {QStringLiteral("Секции"), idsOf({{204, 235}, {1009, 1013}})},
        {QStringLiteral("Каналы связи"),
         idsOf({{33, 33}, {236, 236}, {238, 239}, {265, 267}, {294, 298}, {331, 331}, {349, 349}})},
        {QStringLiteral("Ethernet"), idsOf({{49, 49}, {71, 74}, {283, 284}})},
        {QStringLiteral("Wi-Fi"), idsOf({{268, 272}, {325, 329}})},
        {QStringLiteral("ОФД"),
         idsOf(
             {{273, 277}, {281, 281}, {306, 306}, {346, 346}, {350, 350}, {372, 372}, {385, 385}})},
        {QStringLiteral("ИСМ"), idsOf({{1000, 1008}})},
        {QStringLiteral("Автономная касса"),
         idsOf({{77, 77}, {79, 79}, {82, 86}, {89, 90}, {93, 93}})},
        {QStringLiteral("ЕГАИС"), idsOf({{288, 291}})},
        {QStringLiteral("Время"), idsOf({{20, 22}, {25, 25}})},
        {QStringLiteral("ФН"),
         idsOf({{282, 282}, {293, 293}, {305, 305}, {307, 308}, {380, 380}, {387, 387}})},
        // Settings of discounts and surcharges are shown too: a technician needs them as much
        // as any other, and a group without catalogue sections simply shows nothing.
        {QStringLiteral("Скидки/Надбавки"), idsOf({{80, 80}, {312, 313}})},
    };
    return table;
}

int groupOf(int id) {
    static const QHash<int, int> index = [] {
        QHash<int, int> h;
        for (int g = 0; g < groups().size(); ++g)
            for (int i : groups()[g].ids) h.insert(i, g);
        return h;
    }();
    return index.value(id, -1);
}

}  // namespace settings
