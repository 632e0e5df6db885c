#pragma once

// The viewer's page. Its documents, pictures and style sheets come out of the archive; it keeps
// a caret that the keyboard moves, and screen readers see it as a read-only document they can
// read line by line or whole.

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
