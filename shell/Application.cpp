#include "Application.h"

#include <QtGlobal>

namespace tavorim {

namespace {
TApplication *alive = nullptr;
}

TApplication::TApplication() {
    Q_ASSERT_X(!alive, "TApplication", "one application object at a time");
    alive = this;
}

TApplication::~TApplication() {
    alive = nullptr;
}

TApplication &TApplication::instance() {
    Q_ASSERT_X(alive, "TApplication::instance", "no application object");
    return *alive;
}

void TApplication::setMainForm(QWidget *form) {
    title_.showOn(form);
    windows_.setMainForm(form);
}

} // namespace tavorim
