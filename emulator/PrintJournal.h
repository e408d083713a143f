#pragma once
// What the register puts on paper, kept in memory: every printed line, report, picture, cut and
// beep in order. Tests read it; the driver log (VELMOR_DRIVER_LOG) observes it.
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <mutex>

namespace emu {

struct PrintedItem {
    QString kind;       // "text", "barcode", "picture", "cliche", "footer", "report", "receipt",
                        // "cashIn", "cashOut", "nonfiscal", "lineFeed", "cut", "beep", ...
    QString text;       // the printed text (empty for a cut, a beep, ...)
    QJsonObject extra;  // how it was printed (alignment, font, barcode type, ...)
    bool operator==(const PrintedItem&) const = default;
};

class PrintJournal {
  public:
    // The journal keeps at most this many items; older ones are dropped first.
    static constexpr int kCapacity = 100000;

    explicit PrintJournal(QString serial = {}) : serial_(std::move(serial)) {}
    PrintJournal(const PrintJournal&) = delete;
    PrintJournal& operator=(const PrintJournal&) = delete;

    void append(const QString& kind, const QString& text, const QJsonObject& extra = {});

    QList<PrintedItem> items() const;
    // The texts of the items of one kind, in order.
    QStringList texts(const QString& kind) const;
    int size() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    QString serial_;
    std::deque<PrintedItem> items_;
};

}  // namespace emu
