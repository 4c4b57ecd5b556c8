#pragma once
// Where a module keeps its one object (settings file, option list, plug-in registry, a
// window made on demand, ...) between the module's set-up and its finalisation.
//
// A slot owns its object as a std::unique_ptr does, but its own destructor does nothing: only
// reset() frees the object, and the module's finalisation calls it, in the order start-up
// chose.
// When the display goes away Qt ends the program with exit(), which runs the destructors of
// static objects while the application object and the windows still live; a module object
// freed there would be freed in an order nobody chose, under windows that still use it.
#include <memory>
#include <type_traits>
#include <utility>

template <class T> class ModuleSlot {
public:
    constexpr ModuleSlot() = default;
    ModuleSlot(const ModuleSlot &) = delete;
    ModuleSlot &operator=(const ModuleSlot &) = delete;

    // Takes object (none empties the slot) and then frees the one held before, as
    // std::unique_ptr::reset does: while the old one goes, the slot already answers the new.
    void reset(std::unique_ptr<T> object = nullptr)
    {
        std::unique_ptr<T> old(std::exchange(m_object, object.release()));
    }
    // Hands the object over and empties the slot.
    std::unique_ptr<T> take() { return std::unique_ptr<T>(std::exchange(m_object, nullptr)); }

    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    T &operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T *m_object = nullptr;
};

// A window made on demand whose global reference its constructor sets, so that code run from
// the constructor already finds it, and its destructor clears; the slot owns it until free().
template <class T> class WindowSlot {
public:
    constexpr WindowSlot() = default;

    void constructed(T *window) { m_current = window; }
    void destroyed(T *window)
    {
        if (m_current == window)
            m_current = nullptr;
    }
    T *get() const { return m_current; }
    T *create()
    {
        if (!m_current)
            m_owned.reset(std::make_unique<T>());
        return m_current;
    }
    void free() { m_owned.reset(); }

private:
    T *m_current = nullptr;
    ModuleSlot<T> m_owned;
};

static_assert(std::is_trivially_destructible_v<ModuleSlot<int>>, "exit() must find nothing of a slot to destroy");
static_assert(std::is_trivially_destructible_v<WindowSlot<int>>, "exit() must find nothing of a slot to destroy");
