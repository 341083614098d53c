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
        speaker_ = std::make_unique<ThreadedSpeaker>(
            [load = load_](VoiceEvents events, QString& reason) -> std::unique_ptr<Voice> {
                const SpeechModule* module = load(reason);
                return module ? module->createVoice(std::move(events), reason) : nullptr;
            },
            [this](ThreadedSpeaker::Failure failure, const QString& why) { fail(failure, why); });
        speaker_->setRate(rate_);
    }
    return speaker_.get();
}

void SpeechOutput::setRate(SpeechRate rate) {
    rate_ = rate;
    if (speaker_ && !failed_)
        speaker_->setRate(rate);
}

void SpeechOutput::fail(ThreadedSpeaker::Failure failure, const QString& reason) {
    if (failed_)
        return;
    failed_ = true;
    const QString what = failure == ThreadedSpeaker::Failure::NotStarted
                             ? QStringLiteral("Vorlesen geht auf diesem Rechner nicht")
                             : QStringLiteral("Das Vorlesen hat aufgehört");
    tellFailure_(
        QStringLiteral("%1:\n%2\n\nKalumbrixtor läuft ohne Sprache weiter.").arg(what, reason));
}
