#pragma once

#include "Web.h"

#include <QDialog>

#include <cstdint>

#include <functional>
#include <memory>

namespace Ui {
class TForm1;
}

// The main window, modal over the backdrop for the whole run: the picture, the menu, the sound
// switch, and the way out with its confirmation and exit report.
class TForm1 : public QDialog {
    Q_OBJECT

public:
    // Bits per pixel of the screen that shows a window.
    using ColorDepth = std::function<int(const QWidget *window)>;

    // The exit report goes through the web given, which the About box gets too; the screen's
    // own depth unless another is given.
    explicit TForm1(tavorim::WebAccess &web = tavorim::systemWeb(), QWidget *parent = nullptr,
                    ColorDepth colorDepth = {});
    ~TForm1() override;

    // The caption set at every activation.
    static QString caption();
    // The program's name as the exit report gives it: the file name without folder and without
    // the ".exe" a Windows copy carries, with a to z in capitals.
    static QString reportedProgramName(const QString &programPath);
    // The address of the exit report for the current state; empty when no report is sent.
    static QString exitReportAddress(const QString &programPath);

    // The pause that lets the report leave before the program ends.
    static constexpr int ExitPauseMs = 1000;

    // F1 in this window asks the help for this context.
    static constexpr std::int32_t HelpContext = 100;

public slots:
    void FormCreate();
    void FormActivate();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void Enchiffresromains1Click();
    void Enchiffresarabes1Click();
    void Niveau1Click();
    void son1Click();
    void Documentation1Click();
    void Apropos1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Escape does nothing here: the window has no cancel button.
    void reject() override {}

private:
    std::unique_ptr<Ui::TForm1> ui_;
    tavorim::WebAccess &web_;
    ColorDepth colorDepth_;
};
