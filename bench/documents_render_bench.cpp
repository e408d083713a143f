// Rendering a 500-item receipt: the answer parsed and laid out as the Чеки view shows it, and the
// separator measured in the view's font (DejaVu Sans Mono, 13 pixels high). Target: 30 ms.
//
// Run: build/documents_render_bench [repetitions]
#include <QElapsedTimer>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "documents/Render.h"

namespace {

QString receiptAnswer(int items) {
    QJsonArray list;
    for (int i = 0; i < items; ++i) {
        QJsonObject item{{"1030", QString("Товар номер %1 с довольно длинным названием, которое "
                                          "не помещается в одну строку чека")
                                      .arg(i + 1)},
                         {"1079", 100.5 + i},
                         {"1023", i % 7 == 0 ? 0.325 : 2},
                         {"1043", 201 + 2 * i},
                         {"1212", 1 + i % 4},
                         {"1214", 4},
                         {"1199", 7}};
        if (i % 10 == 0) item["1162"] = "444D00000000003741";
        list.append(item);
    }
    QJsonObject tlv{{"fiscalDocumentType", "receipt"},
                    {"1012", "2021-03-04T12:34:00+03:00"},
                    {"1021", "Иванова А. П."},
                    {"1054", 1},
                    {"1040", 4242},
                    {"1209", 2},
                    {"1038", 77},
                    {"1042", 15},
                    {"1020", 150000.5},
                    {"1102", 25000.08},
                    {"1031", 100000},
                    {"1081", 50000.5},
                    {"qr", "t=20210304T1234&s=150000.50&fn=9999078945337305&i=4242&fp=1&n=1"},
                    {"1059", list}};
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{"documentTLV", tlv}}).toJson(QJsonDocument::Compact));
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    const QFontMetrics fm(font);
    const int clientWidth = 640;

    const QString answer = receiptAnswer(500);
    documents::RenderSource source;
    source.byNumber = {QStringLiteral("2712847316"), true};
    source.vat = {"7", "2", "8", "4", "5", "6"};

    std::vector<qint64> measure, render;
    int width = 0, lines = 0;
    // The first round loads the font and warms the caches; it is shown apart.
    for (int i = -1; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        width = documents::separatorLength(
            [&fm](const QString& s) { return fm.horizontalAdvance(s); }, clientWidth);
        const qint64 measured = t.nsecsElapsed();

        t.restart();
        source.answer = documents::DocumentAnswer::parse(answer);
        const auto r = documents::render(source, width, documents::Sender::ShowButton);
        const qint64 rendered = t.nsecsElapsed();
        lines = int(r.lines.size());
        if (i < 0) {
            std::printf("first round (font loading): measure %.2f ms, render %.2f ms\n",
                        ms(measured), ms(rendered));
            continue;
        }
        measure.push_back(measured);
        render.push_back(rendered);
    }
    std::sort(measure.begin(), measure.end());
    std::sort(render.begin(), render.end());
    std::printf("font %s %dpx: %d characters in %d px\n", qPrintable(QFontInfo(font).family()),
                font.pixelSize(), width, clientWidth);
    std::printf("answer %lld bytes, %d lines\n", (long long)answer.toUtf8().size(), lines);
    const auto at = [reps](const std::vector<qint64>& v, double q) {
        return ms(v[std::min<size_t>(v.size() - 1, size_t(q * reps))]);
    };
    std::printf("separator measure:        median %.2f ms, 90%% %.2f ms, worst %.2f ms\n",
                at(measure, 0.5), at(measure, 0.9), ms(measure.back()));
    std::printf("parse + render 500 items: median %.2f ms, 90%% %.2f ms, worst %.2f ms\n",
                at(render, 0.5), at(render, 0.9), ms(render.back()));
    // The machine may be shared: the verdict goes by the median, the tail is shown above.
    const double total = at(measure, 0.5) + at(render, 0.5);
    std::printf("median total %.2f ms against the 30 ms target: %s\n", total,
                total <= 30 ? "within" : "OVER");
    return total <= 30 ? 0 : 1;
}
