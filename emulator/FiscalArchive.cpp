#include "emulator/FiscalArchive.h"

#include <algorithm>

namespace emu {

void FiscalArchive::setGenerator(std::unique_ptr<ArchiveGenerator> generator) {
    generator_ = std::move(generator);
}

void FiscalArchive::list(int number, const QJsonObject& documentTlv, std::optional<bool> ticket) {
    listed_[number] = documentTlv;
    if (ticket)
        listedTickets_[number] = *ticket;
    else
        listedTickets_.erase(number);
}

int FiscalArchive::lastNumber() const {
    int last = std::max(reportedLast_, generator_ ? generator_->size() : 0);
    if (!listed_.empty()) last = std::max(last, listed_.rbegin()->first);
    if (!appended_.empty()) last = std::max(last, appended_.rbegin()->first);
    return last;
}

std::optional<QJsonObject> FiscalArchive::document(int number) const {
    if (const auto it = appended_.find(number); it != appended_.end()) return it->second;
    if (const auto it = listed_.find(number); it != listed_.end()) return it->second;
    if (generator_) return generator_->document(number);
    return std::nullopt;
}

bool FiscalArchive::isReceiptType(const QString& type) {
    const QString t = type.toLower();
    return t == QLatin1String("receipt") || t == QLatin1String("receiptcorrection") ||
           t == QLatin1String("bso") || t == QLatin1String("bsocorrection");
}

std::optional<DocumentFacts> FiscalArchive::facts(int number) const {
    const auto tlv = document(number);
    if (!tlv) return std::nullopt;
    DocumentFacts f;
    f.number = number;
    f.type = tlv->value(QStringLiteral("fiscalDocumentType")).toString();
    f.momentText = tlv->value(QStringLiteral("1012")).toString();
    f.fiscalSignHex = tlv->value(QStringLiteral("1077")).toString();
    f.fiscalSign = fiscalSignOfHex(f.fiscalSignHex);
    f.sum = tlv->value(QStringLiteral("1020")).toDouble();
    f.calculationSign = tlv->value(QStringLiteral("1054")).toInt();
    if (const auto it = listedTickets_.find(number);
        it != listedTickets_.end() && !appended_.count(number))
        f.ticket = it->second;
    else
        f.ticket = number <= lastNumber() - notSent();
    return f;
}

int FiscalArchive::notSent() const {
    return std::clamp(notSent_, 0, lastNumber());
}

int FiscalArchive::firstNotSent() const {
    const int count = notSent();
    return count > 0 ? lastNumber() - count + 1 : 0;
}

int FiscalArchive::lastReceiptNumber() const {
    int best = generator_ ? generator_->endState().lastReceiptNumber : 0;
    for (const auto* m : {&listed_, &appended_})
        for (auto it = m->rbegin(); it != m->rend() && it->first > best; ++it)
            if (isReceiptType(it->second.value(QStringLiteral("fiscalDocumentType")).toString())) {
                best = it->first;
                break;
            }
    return best;
}

int FiscalArchive::lastAvailableNumber() const {
    const int last = lastNumber();
    int best = generator_ ? std::min(generator_->size(), last) : 0;
    for (const auto* m : {&listed_, &appended_}) {
        auto it = m->upper_bound(last);
        if (it != m->begin()) best = std::max(best, std::prev(it)->first);
    }
    return best;
}

int FiscalArchive::append(QJsonObject documentTlv, const QString& moment) {
    const int number = lastNumber() + 1;
    documentTlv.insert(QStringLiteral("1040"), number);
    documentTlv.insert(QStringLiteral("1012"), moment);
    documentTlv.insert(QStringLiteral("1077"), ArchiveGenerator::fiscalSignHex(seed_, number));
    if (!documentTlv.contains(QStringLiteral("short")))
        documentTlv.insert(QStringLiteral("short"), false);
    appended_[number] = documentTlv;
    ++notSent_;
    return number;
}

void FiscalArchive::annotate(int number, const QString& key, const QJsonValue& value) {
    if (const auto it = appended_.find(number); it != appended_.end())
        it->second.insert(key, value);
}

}  // namespace emu
