#include "panel/contextmenu.h"

#include "caliper/edgesettings.h"
#include "caliper/slider.h"
#include "magnifier/magnifier.h"
#include "model/formnames.h"
#include "panel/lengthdialogs.h"
#include "panel/start.h"
#include "panel/truelengths.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <vector>

namespace kx {

namespace {

QString text(const char* english) {
    return QCoreApplication::translate("Kalibrix", english);
}

// An entry known by its name.
QAction* named(QAction* action, const char* name) {
    action->setObjectName(QLatin1String(name));
    return action;
}

// An entry that is ticked or not, and hands its new state to `set`.
QAction* addSwitch(QMenu* menu, const QString& caption, const char* name, bool on,
                   std::function<void(bool)> set) {
    QAction* entry = named(menu->addAction(caption), name);
    entry->setCheckable(true);
    entry->setChecked(on);
    QObject::connect(entry, &QAction::triggered, std::move(set));
    return entry;
}

// The slider's commands that find edges on the screen: close, open, undo, snap and the tolerance.
void addEdgeEntries(QMenu* menu, Start& panel, Slider& slider) {
    QPointer<Slider> s = &slider;
    named(menu->addAction(QCoreApplication::translate("Kalibrix", "C&lose on the object"),
                          [s] {
                              if (s) s->jaws().runSoon(JawCommands::Command::Close);
                          }),
          "closeJaws")
        ->setShortcut(QKeySequence(Qt::Key_Space)); // shown only: the slider handles the keys itself
    named(menu->addAction(QCoreApplication::translate("Kalibrix", "Open to the e&dges"),
                          [s] {
                              if (s) s->jaws().runSoon(JawCommands::Command::Open);
                          }),
          "openJaws")
        ->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Space));
    QAction* undo = named(menu->addAction(QCoreApplication::translate("Kalibrix", "&Undo the jaws' move"),
                                          [s] {
                                              if (s) s->jaws().undo();
                                          }),
                          "undoJaws");
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(slider.jaws().canUndo());
    EdgeSettings& edges = panel.edgeSettings();
    addSwitch(menu, QCoreApplication::translate("Kalibrix", "Snap to edges while dra&gging"), "snap", edges.snap(),
              [&edges](bool on) { edges.setSnap(on); });
    QMenu* tolerance = menu->addMenu(QCoreApplication::translate("Kalibrix", "&Edge tolerance"));
    auto* steps = new QActionGroup(tolerance);
    for (int step : EdgeSettings::kToleranceSteps) {
        const QString caption = step == 0 ? QCoreApplication::translate("Kalibrix", "&Exact colour") : QCoreApplication::translate("Kalibrix", "%1 of 255").arg(step);
        const QByteArray name = "tolerance" + QByteArray::number(step);
        steps->addAction(addSwitch(tolerance, caption, name.constData(), edges.tolerance() == step,
                                   [&edges, step](bool) { edges.setTolerance(step); }));
    }
}

// On the panel while the magnifier is on: copy the colour it shows, as it was when the menu opened.
void addMagnifierEntries(QMenu* menu, Start& panel) {
    if (!panel.magnifierOn()) return;
    const std::optional<QRgb> colour = panel.magnifier().pointerColour();
    if (!colour) return;
    const QString name = colourName(*colour);
    QAction* copy = named(menu->addAction(QCoreApplication::translate("Kalibrix", "Copy the &colour %1").arg(name),
                                          [&panel, name] { panel.env().shell.copyText(name); }),
                          "copyColour");
    copy->setShortcut(QKeySequence::Copy); // shown only: the magnifier handles the key itself
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
        QAction* copy = named(menu->addAction(QCoreApplication::translate("Kalibrix", "&Copy reading"),
                                              copyFrom(slider->formName())),
                              "copy");
        copy->setShortcut(QKeySequence::Copy); // shown only: the slider handles the key itself
    } else {
        named(menu->addAction(QCoreApplication::translate("Kalibrix", "Copy hori&zontal reading"),
                              copyFrom(names::Form2)),
              "copy");
        named(menu->addAction(QCoreApplication::translate("Kalibrix", "Copy &vertical reading"),
                              copyFrom(names::Form42)),
              "copyVertical");
        addMagnifierEntries(menu, panel);
    }

    if (slider) {
        menu->addSeparator();
        addEdgeEntries(menu, panel, *slider);
    }

    menu->addSeparator();
    auto* units = new QActionGroup(menu);
    forms::OptionButton* const options[] = {panel.Option2, panel.Option3, panel.Option4, panel.Option5,
                                            panel.Option6};
    for (int i = 0; i < int(kUnits.size()); ++i) {
        forms::OptionButton* option = options[i];
        units->addAction(addSwitch(menu, text(kUnits[i].menuCaption), kUnits[i].optionName, option->value(),
                                   [option](bool) { option->setValue(true); }));
    }

    menu->addSeparator();
    addSwitch(menu, QCoreApplication::translate("Kalibrix", "T&rue size"), "trueSize",
              panel.trueLengths().on(), [&panel](bool on) { panel.setTrueSize(on); });
    // On the panel the two length dialogs measure with the horizontal caliper, or with the vertical one
    // while only that is shown.
    Slider* measuring = slider ? slider
                        : panel.Check1->value() == 1 ? &app.form<Slider>(names::Form2)
                        : panel.Check2->value() == 1 ? &app.form<Slider>(names::Form42)
                                                     : nullptr;
    QPointer<Slider> s = measuring;
    named(menu->addAction(QCoreApplication::translate("Kalibrix", "&Scale from a known length..."),
                          [&panel, s] {
                              if (s) askKnownLength(panel, *s);
                          }),
          "knownLength")
        ->setEnabled(measuring);
    named(menu->addAction(QCoreApplication::translate("Kalibrix", "C&alibrate this monitor..."),
                          [&panel, s] {
                              if (s) askCalibration(panel, *s);
                          }),
          "calibrate")
        ->setEnabled(measuring);

    menu->addSeparator();
    addSwitch(menu, QCoreApplication::translate("Kalibrix", "Keep Kalibrix on &top"), "onTop",
              panel.Check5->value() == 1, [&panel](bool on) { panel.Check5->setValue(on ? 1 : 0); });
    // Putting a caliper away unticks its button on the panel, which hides beam and slider together.
    std::vector<forms::CheckBox*> shownBy;
    if (slider)
        shownBy.push_back(slider->twin().axis == Axis::Horizontal ? panel.Check1 : panel.Check2);
    else
        shownBy = {panel.Check1, panel.Check2};
    QAction* away =
        named(menu->addAction(slider ? QCoreApplication::translate("Kalibrix", "&Put the caliper away")
                                     : QCoreApplication::translate("Kalibrix", "&Put the calipers away"),
                              [shownBy] {
                                  for (forms::CheckBox* check : shownBy)
                                      check->setValue(0);
                              }),
              "away");
    away->setEnabled(
        std::any_of(shownBy.begin(), shownBy.end(), [](forms::CheckBox* c) { return c->value() == 1; }));

    menu->addSeparator();
    named(menu->addAction(QCoreApplication::translate("Kalibrix", "&Help"),
                          [&panel] { panel.Command2_Click(); }),
          "help")
        ->setShortcut(QKeySequence::HelpContents);
    named(menu->addAction(QCoreApplication::translate("Kalibrix", "&Quit Kalibrix"),
                          [&app] { app.unload(names::Start); }),
          "quit");
    return menu;
}

} // namespace kx
