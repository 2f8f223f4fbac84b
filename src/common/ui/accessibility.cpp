#include "common/ui/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QHash>
#include <QWidget>

namespace pelorin::ui {

namespace {

struct Presentation {
    AccessibleKind kind;
    std::function<void()> press;
};

// The widgets presented otherwise, until they are destroyed.
QHash<const QObject*, Presentation>& presentations() {
    static QHash<const QObject*, Presentation> registry;
    return registry;
}

QAccessible::Role roleOf(AccessibleKind kind) {
    switch (kind) {
    case AccessibleKind::Indicator:
        return QAccessible::StaticText;
    case AccessibleKind::Button:
        return QAccessible::Button;
    case AccessibleKind::Link:
        return QAccessible::Link;
    case AccessibleKind::NamedComboBox:
        break;
    }
    return QAccessible::ComboBox;
}

class PresentedWidget final : public QAccessibleWidget {
public:
    PresentedWidget(QWidget* widget, Presentation presentation)
        : QAccessibleWidget(widget, roleOf(presentation.kind)),
          m_presentation(std::move(presentation)) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (m_presentation.kind == AccessibleKind::Indicator) {
            state.readOnly = true;
            state.focusable = false;
        } else if (m_presentation.kind == AccessibleKind::NamedComboBox) {
            state.editable = true;
            state.hasPopup = true;
        }
        return state;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            if (const auto* const box = qobject_cast<const QComboBox*>(widget()))
                return box->currentText();
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        QStringList names;
        if (m_presentation.press)
            names << pressAction();
        if (m_presentation.kind == AccessibleKind::NamedComboBox)
            names << showMenuAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (name == pressAction() && m_presentation.press) {
            m_presentation.press();
        } else if (name == showMenuAction()) {
            if (auto* const box = qobject_cast<QComboBox*>(widget()))
                box->showPopup();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

private:
    const Presentation m_presentation;
};

QAccessibleInterface* presentedInterface(const QString& /*className*/, QObject* object) {
    const auto found = presentations().constFind(object);
    if (found == presentations().cend() || !object->isWidgetType())
        return nullptr;
    return new PresentedWidget(static_cast<QWidget*>(object), *found);
}

} // namespace

void presentAs(QWidget& widget, AccessibleKind kind, std::function<void()> press) {
    QAccessible::installFactory(presentedInterface); // once: it is not added twice
    presentations().insert(&widget, {kind, std::move(press)});
    QObject::connect(&widget, &QObject::destroyed,
                     [object = &widget] { presentations().remove(object); });
    // An interface Qt made for the widget before (setting its name makes one) stays in Qt's
    // cache for good; it is dropped so that the next question gets the presented one.
    if (QAccessibleInterface* const existing = QAccessible::queryAccessibleInterface(&widget);
        existing && !dynamic_cast<PresentedWidget*>(existing))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

} // namespace pelorin::ui
