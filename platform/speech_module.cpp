#include "platform/speech_module.h"

const SpeechModule* loadSpeechModule(QString& reason, const QStringList& folders) {
    QString error;
    const auto entry = reinterpret_cast<const SpeechModule* (*)()>(
        resolveProgramModule(speechModuleFileName, "kalumbrixtorSpeechModule", error, folders));
    if (!entry) {
        reason = error.isEmpty()
                     ? QStringLiteral("Der Programmteil zum Vorlesen (%1) fehlt.")
                           .arg(speechModuleFileName)
                     : QStringLiteral("Der Programmteil zum Vorlesen lässt sich nicht laden (%1).")
                           .arg(error);
        return nullptr;
    }
    return entry();
}

SpeechOutput::SpeechOutput(std::function<void(const QString&)> tellFailure, Loader load)
    : tellFailure_(std::move(tellFailure)), load_(std::move(load)) {}

Speaker* SpeechOutput::voice() {
    if (failed_)
        return nullptr;
    if (!speaker_) {
        QString reason;
        const SpeechModule* module = load_(reason);
        if (!module) {
            fail(reason);
            return nullptr;
        }
        speaker_ = module->createSpeaker([this](const QString& why) { fail(why); });
        if (failed_ || !speaker_) {
            speaker_.reset();
            return nullptr;
        }
        speaker_->setRate(rate_);
    }
    return speaker_.get();
}

void SpeechOutput::setRate(SpeechRate rate) {
    rate_ = rate;
    if (speaker_ && !failed_)
        speaker_->setRate(rate);
}

void SpeechOutput::fail(const QString& reason) {
    if (failed_)
        return;
    failed_ = true;
    tellFailure_(QStringLiteral("Vorlesen geht auf diesem Rechner nicht:\n%1\n\nKalumbrixtor "
                                "läuft ohne Sprache weiter.")
                     .arg(reason));
}
