// Selling 10 000 receipts through the JSON task "sell" on the virtual register at 0 ms per call,
// on a storage that already holds a generated archive.
//
//   receipts_bench [RECEIPTS]
//
// Prints the time per receipt block by block (each block of a tenth of the receipts) and the
// time to read documents (getFnDocument) before and after the sales: old documents spread over
// the archive, and after the sales the new ones too. Both must stay flat: the run fails when the
// last block of sales or the reads after take more than three times as long as the first.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/GeneratedArchive.h"
#include "driver/Fptr.h"
#include "driver/JsonAnswer.h"
#include "emulator/Bench.h"
#include "emulator/VirtualRegister.h"

namespace {

constexpr int kArchiveSize = 10000;
constexpr int kReads = 500;
constexpr double kFlatFactor = 3.0;

const QString kSell = QStringLiteral(
    R"({"type": "sell", "operator": {"name": "Кассир"}, "items": [
        {"type": "position", "name": "Хлеб", "price": 45.5, "quantity": 2, "amount": 91,
         "tax": {"type": "vat10"}},
        {"type": "position", "name": "Молоко", "price": 89.9, "quantity": 1, "amount": 89.9,
         "tax": {"type": "vat20"}}],
       "payments": [{"type": "electronically", "sum": 80.9}, {"type": "cash", "sum": 100}]})");

// Mean microseconds of reading the documents `numbers` one by one; -1 when one answer is wrong.
double readMicros(drv::Fptr& f, const std::vector<int>& numbers) {
    QElapsedTimer t;
    t.start();
    for (int n : numbers) {
        const auto answer = drv::JsonAnswer::parse(f.jsonTask(
            QStringLiteral(R"({"type": "getFnDocument", "fiscalDocumentNumber": %1})").arg(n)));
        if (answer.textOr(QStringLiteral("documentTLV.1040")) != QString::number(n)) {
            std::fprintf(stderr, "document %d: wrong answer\n", n);
            return -1;
        }
    }
    return t.nsecsElapsed() / 1e3 / double(numbers.size());
}

std::vector<int> spread(int from, int to, int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(from + int(qint64(i) * (to - from) / (count - 1)));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int receipts = app.arguments().size() > 1 ? app.arguments()[1].toInt() : 10000;
    const int blocks = 10;
    if (receipts < blocks) return 2;
    emu::World::instance().loadJson(bench::generatedArchiveBench(kArchiveSize, 0, 3),
                                    QStringLiteral("receipts bench"));
    drv::setDispatchFactory(&emu::VirtualRegister::create);
    auto f = drv::Fptr::create();
    if (f->openSerialAuto(QStringLiteral("5")) != 0) {
        std::fprintf(stderr, "open failed: %s\n", qPrintable(f->errorDescription()));
        return 1;
    }
    // the generated archive may end in a shift long past: close it, the first sale opens a new one
    f->jsonTask(QStringLiteral(R"({"type": "closeShift"})"));

    const std::vector<int> old = spread(1, kArchiveSize, kReads);
    const double before = readMicros(*f, old);

    std::vector<double> perBlock;
    const int blockSize = receipts / blocks;
    QElapsedTimer all;
    all.start();
    for (int b = 0; b < blocks; ++b) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < blockSize; ++i) {
            f->jsonTask(kSell);
            if (f->errorCode() != 0) {
                std::fprintf(stderr, "receipt %d: %d %s\n", b * blockSize + i, f->errorCode(),
                             qPrintable(f->errorDescription()));
                return 1;
            }
        }
        perBlock.push_back(t.nsecsElapsed() / 1e3 / blockSize);
        std::printf("receipts %6d-%6d  %8.1f us per receipt\n", b * blockSize + 1,
                    (b + 1) * blockSize, perBlock.back());
    }
    const double sellMs = all.nsecsElapsed() / 1e6;

    const int last = kArchiveSize + 1 + blocks * blockSize;  // the shift opening, then the sales
    const double afterOld = readMicros(*f, old);
    const double afterNew = readMicros(*f, spread(kArchiveSize + 2, last, kReads));
    std::printf("sold %d receipts in %.1f ms: first block %.1f us, last %.1f us per receipt\n",
                blocks * blockSize, sellMs, perBlock.front(), perBlock.back());
    std::printf("document read: before %.1f us, after %.1f us (old), %.1f us (new)\n", before,
                afterOld, afterNew);
    if (before < 0 || afterOld < 0 || afterNew < 0) return 1;
    const bool flat = perBlock.back() <= kFlatFactor * perBlock.front() &&
                      std::max(afterOld, afterNew) <= kFlatFactor * before;
    std::printf("%s\n", flat ? "flat" : "NOT FLAT");
    return flat ? 0 : 1;
}
