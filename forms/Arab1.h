#pragma once

#include "DrillWindow.h"

#include <memory>

namespace Ui {
class Tarabform;
}

// The Arabic-writing drill: a Roman numeral is shown, the pupil types its decimal value.
class Tarabform : public DrillWindow {
    Q_OBJECT

public:
    // beep sounds for refused keys; empty, the system's warning beep.
    explicit Tarabform(QWidget *owner = nullptr, tavorim::Beep beep = {});
    ~Tarabform() override;

    tavorim::SoundPlayer *MediaPlayer2;

    void Pose_Question() override;
    void Gere_Reponse();

protected:
    void Button1Click() override;
    void Button3Click() override;
    void Edit1KeyPress(char16_t &key) override;

private:
    std::unique_ptr<Ui::Tarabform> ui_;
};
