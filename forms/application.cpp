#include "forms/application.h"

#include "forms/internal.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

namespace kx::forms {

// The program's directory as the platform writes it: "C:\Program Files\Kalibrix" on Windows.
Application::Application(Environment env)
    : m_env(env), m_path(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())),
      m_designFont(QApplication::font()) {
    // Tooltips, menus and message windows use the toolkit's font: make it the primary monitor's size.
    QFont shown = m_designFont;
    shown.setPointSizeF(m_designFont.pointSizeF() * m_env.primaryScale() * detail::kDesignDpi /
                        m_env.screen.fontDpi());
    QApplication::setFont(shown);
    // A monitor that comes, goes or changes: every window takes the scale of where it stands now, and a
    // window left outside every monitor comes back onto one.
    m_env.screen.onScreensChanged = [this] {
        for (auto& [name, form] : m_loaded) {
            form->updateScale();
            if (form->isVisible() && form->keptOnScreen()) form->keepOnScreen();
        }
    };
}

Application::~Application() {
    m_env.screen.onScreensChanged = nullptr;
    QApplication::setFont(m_designFont);
    for (auto& [name, form] : m_loaded) delete form;
    for (const QPointer<Form>& form : m_unloaded) delete form.data();
}

void Application::registerForm(const QString& name, Factory factory) {
    m_factories[name] = {std::move(factory), {}, false};
}

void Application::registerForm(const QString& name, Factory factory, MadeWhenUsed later) {
    m_factories[name] = {std::move(factory), std::move(later), true};
}

Form& Application::form(const QString& name) {
    if (auto it = m_loaded.find(name); it != m_loaded.end()) return *it->second;
    auto registration = m_factories.find(name);
    if (registration == m_factories.end()) throw FormsError(424, "Object required");
    std::optional<std::chrono::milliseconds> loadedAt;
    if (auto late = m_notMade.find(name); late != m_notMade.end()) {
        loadedAt = late->second;
        m_notMade.erase(late);
    } else if (registration->second.later.atLoad) {
        registration->second.later.atLoad();
    }
    return create(name, registration->second, loadedAt);
}

Form& Application::create(const QString& name, const Registration& registration,
                          std::optional<std::chrono::milliseconds> loadedAt) {
    Form* created = registration.factory(*this).release();
    // Registered before the load handling runs, so that a reference from within it finds the window.
    m_loaded[name] = created;
    m_loading.insert(name);
    created->Form_Load();
    m_loading.erase(name);
    created->setLoaded();
    if (loadedAt) {
        if (registration.later.atCreation) registration.later.atCreation(*created);
        created->startTimersFrom(*loadedAt);
    }
    if (m_unloadAfterLoad.erase(name)) unload(name); // the caller still holds the window: it is deleted later
    return *created;
}

void Application::load(const QString& name) {
    if (isLoaded(name)) return;
    auto registration = m_factories.find(name);
    if (registration == m_factories.end() || !registration->second.madeWhenUsed) {
        form(name);
        return;
    }
    m_notMade[name] = m_env.clock.now();
    if (registration->second.later.atLoad) registration->second.later.atLoad();
}

Form* Application::existing(const QString& name) const {
    auto it = m_loaded.find(name);
    return it == m_loaded.end() ? nullptr : it->second;
}

bool Application::isLoaded(const QString& name) const {
    return m_loaded.count(name) != 0 || m_notMade.count(name) != 0;
}

void Application::unload(const QString& name) {
    if (m_notMade.erase(name)) {
        // Never made: only what its unload does to the rest of the program.
        if (const auto& atUnload = m_factories.at(name).later.atUnload) {
            ++m_unloading;
            atUnload();
            --m_unloading;
        }
        if (m_unloading == 0 && m_loaded.empty() && m_notMade.empty() && onLastUnloaded) onLastUnloaded();
        return;
    }
    auto it = m_loaded.find(name);
    if (it == m_loaded.end()) return;
    if (m_loading.count(name)) {
        // Its load is still running further up the stack: finishing it on a closed window would act
        // on a deleted one.
        m_unloadAfterLoad.insert(name);
        return;
    }
    Form* form = it->second;
    m_loaded.erase(it);
    ++m_unloading;
    form->Form_Unload();
    form->stopTimers();
    form->hide();
    std::erase_if(m_unloaded, [](const QPointer<Form>& f) { return f.isNull(); });
    m_unloaded.emplace_back(form);
    form->deleteLater();
    if (--m_unloading == 0 && m_loaded.empty() && m_notMade.empty() && onLastUnloaded) onLastUnloaded();
}

void Application::doEvents() {
    QCoreApplication::processEvents();
}

} // namespace kx::forms
