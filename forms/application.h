#pragma once

#include "forms/environment.h"
#include "forms/form.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <optional>
#include <chrono>
#include <vector>

namespace kx::forms {

// The application object: the program's title, directory and help file, and every window by name.
// Referring to a window that is not loaded loads it.
class Application {
public:
    using Factory = std::function<std::unique_ptr<Form>(Application&)>;

    explicit Application(Environment env);
    ~Application();
    Environment& env() { return m_env; }

    // A window that is made only when it is first used: loading it does at once only what its load
    // does to the rest of the program (`atLoad`, also when a first reference loads it); the window is
    // made, and its load handling run, when it is first referred to, and then `atCreation` brings it up
    // to what the program did with it in between (loaded earlier, it would have followed that).
    struct MadeWhenUsed {
        std::function<void()> atLoad;
        std::function<void(Form&)> atCreation;
        std::function<void()> atUnload; // what its unload does to the rest, for a window never made
    };

    void registerForm(const QString& name, Factory factory);
    void registerForm(const QString& name, Factory factory, MadeWhenUsed later);
    Form& form(const QString& name);
    template <class T>
    T& form(const QString& name) {
        return static_cast<T&>(form(name));
    }
    // The window if it has been made; nothing for one not loaded, or loaded and not made yet. For code
    // that only follows a window that exists (a reading, a pending hand-over), without making it.
    Form* existing(const QString& name) const;
    template <class T>
    T* existing(const QString& name) const {
        return static_cast<T*>(existing(name));
    }
    bool isLoaded(const QString& name) const;
    // Load: creates the window and runs its load handling without showing it; a window made when used is
    // only marked loaded.
    void load(const QString& name);
    // Unload: runs the window's unload handling and closes it; nothing for a window not loaded.
    void unload(const QString& name);
    // Runs when the last window has been unloaded.
    std::function<void()> onLastUnloaded;

    // Runs the pending events once.
    void doEvents();

    // The toolkit's font as the desktop set it, before the program sized it for the primary monitor:
    // the windows' fonts are made from it for their own scale.
    const QFont& designFont() const { return m_designFont; }

    QString title() const { return QStringLiteral("Kalibrix"); }
    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString& file) { m_helpFile = file; }

private:
    struct Registration {
        Factory factory;
        MadeWhenUsed later;
        bool madeWhenUsed = false;
    };
    Form& create(const QString& name, const Registration& registration,
                 std::optional<std::chrono::milliseconds> loadedAt);
    Environment m_env;
    std::map<QString, Registration> m_factories;
    std::map<QString, Form*> m_loaded;
    std::map<QString, std::chrono::milliseconds> m_notMade; // loaded (at that time of the clock), to be made when first used
    std::vector<QPointer<Form>> m_unloaded; // closed, waiting for the event loop to delete them
    QString m_path;
    QFont m_designFont;
    QString m_helpFile;
    int m_unloading = 0; // nesting of unload calls: a window's unload may unload others
    // Windows whose load handling is running, and those of them asked to unload meanwhile (a close
    // while the load lets pending events run): they unload once the load has finished.
    std::set<QString> m_loading, m_unloadAfterLoad;
};

} // namespace kx::forms
