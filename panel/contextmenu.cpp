#include "panel/contextmenu.h"

#include "caliper/slider.h"
#include "model/formnames.h"
#include "panel/lengthdialogs.h"
#include "panel/truelengths.h"
#include "panel/start.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <vector>

namespace kx {

namespace {

QString text(const char* english) {
    return QCoreApplication::translate("Kalibrix", english);
}

} // namespace

QMenu* createContextMenu(Start& panel, Slider* slider, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    forms::Application& app = panel.app();
    auto copyFrom = [&panel](const QString& sliderName) {
        return [&panel, sliderName] {
            panel.env().shell.copyText(panel.app().form<Slider>(sliderName).Label1->caption());
        };
    };
    if (slider) {
        QAction* copy = menu->addAction(QCoreApplication::translate("Kalibrix", "&Copy reading"),
                                        copyFrom(slider->formName()));
        copy->setObjectName(QStringLiteral("copy"));
        copy->setShortcut(QKeySequence::Copy); // shown only: the slider handles the key itself
    } else {
        menu->addAction(QCoreApplication::translate("Kalibrix", "Copy &horizontal reading"), copyFrom(names::Form2))
            ->setObjectName(QStringLiteral("copy"));
        menu->addAction(QCoreApplication::translate("Kalibrix", "Copy &vertical reading"), copyFrom(names::Form42))
            ->setObjectName(QStringLiteral("copyVertical"));
    }

    menu->addSeparator();
    auto* units = new QActionGroup(menu);
    forms::OptionButton* const options[] = {panel.Option2, panel.Option3, panel.Option4, panel.Option5,
                                            panel.Option6};
    for (int i = 0; i < int(kUnits.size()); ++i) {
        forms::OptionButton* option = options[i];
        QAction* unit = menu->addAction(text(kUnits[i].caption), [option] { option->setValue(true); });
        unit->setObjectName(QString::fromLatin1(kUnits[i].optionName));
        unit->setCheckable(true);
        unit->setChecked(option->value());
        units->addAction(unit);
    }

    menu->addSeparator();
    QAction* trueSize = menu->addAction(QCoreApplication::translate("Kalibrix", "T&rue size"));
    trueSize->setObjectName(QStringLiteral("trueSize"));
    trueSize->setCheckable(true);
    trueSize->setChecked(panel.trueLengths().on());
    QObject::connect(trueSize, &QAction::triggered, [&panel](bool on) { panel.setTrueSize(on); });
    if (slider) {
        QPointer<Slider> s = slider;
        menu->addAction(QCoreApplication::translate("Kalibrix", "&Scale from a known length..."), [&panel, s] {
                if (s) askKnownLength(panel, *s);
            })->setObjectName(QStringLiteral("knownLength"));
        menu->addAction(QCoreApplication::translate("Kalibrix", "C&alibrate this monitor..."), [&panel, s] {
                if (s) askCalibration(panel, *s);
            })->setObjectName(QStringLiteral("calibrate"));
    }

    menu->addSeparator();
    QAction* onTop = menu->addAction(QCoreApplication::translate("Kalibrix", "Keep Kalibrix on &top"));
    onTop->setObjectName(QStringLiteral("onTop"));
    onTop->setCheckable(true);
    onTop->setChecked(panel.Check5->value() == 1);
    QObject::connect(onTop, &QAction::triggered, [&panel](bool on) { panel.Check5->setValue(on ? 1 : 0); });
    // Putting a caliper away unticks its button on the panel, which hides beam and slider together.
    std::vector<forms::CheckBox*> shownBy;
    if (slider)
        shownBy.push_back(slider->twin().axis == Axis::Horizontal ? panel.Check1 : panel.Check2);
    else
        shownBy = {panel.Check1, panel.Check2};
    QAction* away = menu->addAction(slider ? QCoreApplication::translate("Kalibrix", "&Put the caliper away")
                                           : QCoreApplication::translate("Kalibrix", "&Put the calipers away"),
                                    [shownBy] {
                                        for (forms::CheckBox* check : shownBy) check->setValue(0);
                                    });
    away->setObjectName(QStringLiteral("away"));
    away->setEnabled(std::any_of(shownBy.begin(), shownBy.end(), [](forms::CheckBox* c) { return c->value() == 1; }));

    menu->addSeparator();
    QAction* help = menu->addAction(QCoreApplication::translate("Kalibrix", "&Help"), [&panel] { panel.Command2_Click(); });
    help->setObjectName(QStringLiteral("help"));
    help->setShortcut(QKeySequence::HelpContents);
    menu->addAction(QCoreApplication::translate("Kalibrix", "&Quit Kalibrix"), [&app] { app.unload(names::Start); })
        ->setObjectName(QStringLiteral("quit"));
    return menu;
}

} // namespace kx
