#include "Seams.h"

#ifdef LINESCOPE_HAVE_CANBERRA
#include <canberra.h>
#endif

namespace core {

struct SystemSounds::Impl {
#ifdef LINESCOPE_HAVE_CANBERRA
    ca_context* context = nullptr;
    bool unavailable = false; // creating the context failed once: do not retry on every beep

    ca_context* Context() {
        if (context || unavailable) return context;
        if (ca_context_create(&context) != CA_SUCCESS) {
            context = nullptr;
            unavailable = true;
            return nullptr;
        }
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Corvane LineScope",
                                CA_PROP_APPLICATION_ID, "corvane-linescope",
                                static_cast<const char*>(nullptr));
        return context;
    }
#endif
};

SystemSounds::SystemSounds(Fallback fallback) : impl_(new Impl), fallback_(fallback) {}

SystemSounds::~SystemSounds() {
#ifdef LINESCOPE_HAVE_CANBERRA
    if (impl_->context) ca_context_destroy(impl_->context);
#endif
    delete impl_;
}

void SystemSounds::Play(Sound sound) {
#ifdef LINESCOPE_HAVE_CANBERRA
    // The freedesktop sound theme's names for the error, information and default beeps.
    const char* event = sound == Sound::Error         ? "dialog-error"
                        : sound == Sound::Information ? "dialog-information"
                                                      : "message-new-instant";
    // Without a sound server, a driver or the theme's file, the play fails at once and the
    // caller's beep stands in, so the user still hears something.
    if (ca_context* context = impl_->Context())
        if (ca_context_play(context, 0, CA_PROP_EVENT_ID, event,
                            static_cast<const char*>(nullptr)) == CA_SUCCESS)
            return;
#endif
    if (fallback_) fallback_(sound);
}

} // namespace core
