#pragma once

// The viewer's page, read out of the archive, with a keyboard caret so that screen readers see a
// read-only document they can read line by line.

#include <QTextBrowser>

#include <string>

namespace tavorim {

class ChmArchive;

class HelpPage : public QTextBrowser {
    Q_OBJECT

public:
    HelpPage(const ChmArchive &archive, QWidget *parent);
    ~HelpPage() override;

    bool has(const std::string &archivePath) const;
    QVariant loadResource(int type, const QUrl &name) override;

private:
    const ChmArchive &archive_;
};

} // namespace tavorim
