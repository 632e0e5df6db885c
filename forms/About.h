#pragma once

#include "Web.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

// The About box: product name, version, credit, picture, and two links to the maker.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    // The links are opened through the web given.
    explicit TAboutBox(tavorim::WebAccess &web = tavorim::systemWeb(), QWidget *parent = nullptr);
    ~TAboutBox() override;

    // The addresses the two links open, for the current version.
    static QString writeAddress();
    static QString siteLinkAddress();

public slots:
    void FormCreate();
    void FormActivate();
    void Label2Click();
    void Label3Click();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void nameProduct();

    std::unique_ptr<Ui::TAboutBox> ui_;
    tavorim::WebAccess &web_;
};
