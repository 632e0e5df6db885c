#include "Accessibility.h"

#include "BevelPanel.h"
#include "Gauge.h"
#include "LinkLabel.h"

#include <QAccessibleWidget>

namespace tavorim {

namespace {

class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(Gauge *gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value ||
            (type == QAccessible::Name && widget()->accessibleName().isEmpty()))
            return gauge()->text();
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return gauge()->progress(); }
    // The pupil's results set it, never a screen reader.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    Gauge *gauge() const { return static_cast<Gauge *>(widget()); }
};

class PanelAccessible : public QAccessibleWidget {
public:
    explicit PanelAccessible(BevelPanel *panel) : QAccessibleWidget(panel) {}

    // A panel that holds controls groups them; one that only shows a caption is a text.
    QAccessible::Role role() const override {
        return widget()->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly)
                   ? QAccessible::Client
                   : QAccessible::StaticText;
    }

    QString text(QAccessible::Text type) const override {
        const QString own = QAccessibleWidget::text(type);
        if (!own.isEmpty())
            return own;
        const QString caption = static_cast<BevelPanel *>(widget())->caption();
        if (type == QAccessible::Name)
            return caption;
        if (type == QAccessible::Description && !widget()->accessibleName().isEmpty())
            return caption;
        return own;
    }
};

class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel *link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override {
        const QString own = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && own.isEmpty())
            return static_cast<LinkLabel *>(widget())->text();
        return own;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override {
        if (action == pressAction())
            static_cast<LinkLabel *>(widget())->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *widgetAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("tavorim::Gauge"))
        return new GaugeAccessible(static_cast<Gauge *>(object));
    if (className == QLatin1String("tavorim::BevelPanel"))
        return new PanelAccessible(static_cast<BevelPanel *>(object));
    if (className == QLatin1String("tavorim::LinkLabel"))
        return new LinkAccessible(static_cast<LinkLabel *>(object));
    return nullptr;
}

} // namespace

void installWidgetAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(widgetAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace tavorim
