#pragma once
// The bench: the virtual registers and the virtual PC around them, described by a JSON file
// (VELMOR_BENCH) or the built-in demo bench. See docs/bench.md for the format.
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <mutex>
#include <stdexcept>

namespace emu {

class BenchError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class World {
  public:
    // The bench in use; loaded on first use from VELMOR_BENCH, or the demo bench.
    // Throws BenchError naming the file and the problem.
    static World& instance();

    void loadFile(const QString& path);
    void loadDemo();
    void loadJson(const QByteArray& json, const QString& source);
    QString source() const { return source_; }
    static QByteArray demoBenchJson();

    std::recursive_mutex& mutex() { return mutex_; }

    const QJsonObject& pc() const { return pc_; }
    int registerCount() const { return int(registers_.size()); }
    QJsonObject& reg(int i) { return registers_[i]; }
    // Register reached through a serial port named by number ("5"), name ("COM5") or device
    // path; -1 when none.
    int findByPort(const QString& comFile) const;
    int findByAddress(const QString& ip, int port) const;

    // Counts calls of `method` on register i (for errors injected from the N-th call on).
    int countCall(int i, const QString& method);

  private:
    World() = default;
    void validate(const QJsonObject& root, const QString& source);
    QString source_;
    QJsonObject pc_;
    QList<QJsonObject> registers_;
    QList<QHash<QString, int>> callCounts_;
    std::recursive_mutex mutex_;
};

// "COM5" -> 5; 0 when the text is not a COM name.
int comNumber(const QString& portName);

}  // namespace emu
