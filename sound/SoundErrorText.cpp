#include "SoundErrorText.h"

namespace tavorim {

QString errorBoxText(SoundError error) {
    QString text;
    switch (error) {
    case SoundError::FileNotFound:
        text = QStringLiteral("Le fichier son est introuvable");
        break;
    case SoundError::FileUnreadable:
        text = QStringLiteral("Le fichier son ne peut pas être lu");
        break;
    case SoundError::NotWave:
        text = QStringLiteral("Le fichier n'est pas un fichier son WAV valide");
        break;
    case SoundError::UnsupportedFormat:
        text = QStringLiteral("Le format de ce fichier son WAV n'est pas pris en charge");
        break;
    case SoundError::NoAudioOutput:
        text = QStringLiteral("Aucune sortie audio n'est disponible sur cet ordinateur");
        break;
    case SoundError::DeviceBusy:
        text = QStringLiteral("La sortie audio est occupée par une autre application");
        break;
    case SoundError::None:
        break;
    }
    if (text.isEmpty())
        text = QStringLiteral("Code d'erreur inconnu");
    return withFinalStop(text);
}

QString withFinalStop(const QString &text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

} // namespace tavorim
