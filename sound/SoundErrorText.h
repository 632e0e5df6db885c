#pragma once

#include "SoundError.h"

#include <QString>

namespace tavorim {

// The French text of the error box for a cue that cannot be opened; "Code d'erreur inconnu"
// when the code has none. A "." is appended when the last character sorts after ".".
QString errorBoxText(SoundError error);
// The error box's rule for ending a text: "." appended when the last character sorts after "."
// in character-code order.
QString withFinalStop(const QString &text);

} // namespace tavorim
