#pragma once

#include <memory>

// GLib names a structure member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

// Owners of the GLib objects the look-up of the default browser holds.
template <typename T> struct GObjectUnref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T> using GObjectPointer = std::unique_ptr<T, GObjectUnref<T>>;
