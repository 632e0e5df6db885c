#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class Tnivform;
}

// The level dialog: three exclusive levels, written to the shared state by "&Ok" only.
class Tnivform : public QDialog {
    Q_OBJECT

public:
    explicit Tnivform(QWidget *parent = nullptr);
    ~Tnivform() override;

public slots:
    void FormActivate();
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void describeLevel();

    std::unique_ptr<Ui::Tnivform> ui_;
    bool activatedSinceShown_ = false;
};
