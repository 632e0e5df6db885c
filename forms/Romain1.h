#pragma once

#include "DrillWindow.h"

#include <memory>

namespace Ui {
class Tromaform;
}

// The Roman-writing drill: a decimal number is shown, the pupil types its Roman numeral.
class Tromaform : public DrillWindow {
    Q_OBJECT

public:
    // beep sounds for refused keys; empty, the system's warning beep.
    explicit Tromaform(QWidget *owner = nullptr, tavorim::Beep beep = {});
    ~Tromaform() override;

    tavorim::SoundPlayer *MediaPlayer1;

    void Pose_Question() override;

protected:
    void Button1Click() override;
    void Button3Click() override;
    void Edit1KeyDown(int &key, Qt::KeyboardModifiers shift) override;
    void Edit1KeyPress(char16_t &key) override;

private:
    std::unique_ptr<Ui::Tromaform> ui_;
};
