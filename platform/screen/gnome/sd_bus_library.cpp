// libsystemd is loaded when the GNOME screen driver first talks to the
// session bus, not when the program starts: without a session bus, and on
// X11, the program never uses it, and it brings six more libraries whose
// loading counts before the first frame. Each sd-bus function the driver
// calls is defined here and forwards to the library's own; the ones that
// take variable arguments forward to their va_list forms.
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdarg>

#include "platform/lazy_library.h"

namespace {

void* Systemd() {
    static void* const handle = platform::OpenLibrary("libsystemd.so.0");
    return handle;
}

}  // namespace

// Without the library a call gives `fallback`: an error for what would
// reach the bus, nothing to free or report for the rest.
#define SD_FORWARD(...) LAZY_FORWARD(Systemd, __VA_ARGS__)
#define SD_FORWARD_VOID(...) LAZY_FORWARD_VOID(Systemd, __VA_ARGS__)
// A message call with variable arguments forwards to its va_list form.
#define SD_FORWARD_MESSAGE_VA(name, va_name)                                                          \
    extern "C" int name(sd_bus_message* m, const char* types, ...) {                                  \
        static const auto real =                                                                      \
            platform::ResolveIn<int (*)(sd_bus_message*, const char*, va_list)>(Systemd(), #va_name); \
        if (!real) return -ENOSYS;                                                                    \
        va_list ap;                                                                                   \
        va_start(ap, types);                                                                          \
        const int r = real(m, types, ap);                                                             \
        va_end(ap);                                                                                   \
        return r;                                                                                     \
    }

SD_FORWARD(int, sd_bus_new, (sd_bus * *bus), (bus), -ENOSYS)
SD_FORWARD(int, sd_bus_set_address, (sd_bus * bus, const char* address), (bus, address), -ENOSYS)
SD_FORWARD(int, sd_bus_set_bus_client, (sd_bus * bus, int b), (bus, b), -ENOSYS)
SD_FORWARD(int, sd_bus_start, (sd_bus * bus), (bus), -ENOSYS)
SD_FORWARD(int, sd_bus_set_method_call_timeout, (sd_bus * bus, uint64_t usec), (bus, usec), -ENOSYS)
SD_FORWARD(sd_bus*, sd_bus_unref, (sd_bus * bus), (bus), nullptr)
SD_FORWARD(sd_bus*, sd_bus_flush_close_unref, (sd_bus * bus), (bus), nullptr)
SD_FORWARD(int, sd_bus_is_open, (sd_bus * bus), (bus), 0)
SD_FORWARD(int, sd_bus_get_fd, (sd_bus * bus), (bus), -ENOSYS)
SD_FORWARD(int, sd_bus_get_events, (sd_bus * bus), (bus), -ENOSYS)
SD_FORWARD(int, sd_bus_process, (sd_bus * bus, sd_bus_message** r), (bus, r), -ENOSYS)
SD_FORWARD(int, sd_bus_wait, (sd_bus * bus, uint64_t timeout_usec), (bus, timeout_usec), -ENOSYS)
SD_FORWARD(int, sd_bus_call,
           (sd_bus * bus, sd_bus_message* m, uint64_t usec, sd_bus_error* ret_error, sd_bus_message** reply),
           (bus, m, usec, ret_error, reply), -ENOSYS)
SD_FORWARD(int, sd_bus_match_signal,
           (sd_bus * bus, sd_bus_slot** ret, const char* sender, const char* path, const char* interface,
            const char* member, sd_bus_message_handler_t callback, void* userdata),
           (bus, ret, sender, path, interface, member, callback, userdata), -ENOSYS)
SD_FORWARD(sd_bus_slot*, sd_bus_slot_unref, (sd_bus_slot * slot), (slot), nullptr)
SD_FORWARD_VOID(sd_bus_error_free, (sd_bus_error * e), (e))
SD_FORWARD(int, sd_bus_error_is_set, (const sd_bus_error* e), (e), 0)
SD_FORWARD(int, sd_bus_message_new_method_call,
           (sd_bus * bus, sd_bus_message** m, const char* destination, const char* path,
            const char* interface, const char* member),
           (bus, m, destination, path, interface, member), -ENOSYS)
SD_FORWARD(sd_bus_message*, sd_bus_message_unref, (sd_bus_message * m), (m), nullptr)
SD_FORWARD(int, sd_bus_message_open_container, (sd_bus_message * m, char type, const char* contents),
           (m, type, contents), -ENOSYS)
SD_FORWARD(int, sd_bus_message_close_container, (sd_bus_message * m), (m), -ENOSYS)
SD_FORWARD(int, sd_bus_message_enter_container, (sd_bus_message * m, char type, const char* contents),
           (m, type, contents), -ENOSYS)
SD_FORWARD(int, sd_bus_message_exit_container, (sd_bus_message * m), (m), -ENOSYS)
SD_FORWARD(int, sd_bus_message_verify_type, (sd_bus_message * m, char type, const char* contents),
           (m, type, contents), -ENOSYS)
SD_FORWARD(int, sd_bus_message_skip, (sd_bus_message * m, const char* types), (m, types), -ENOSYS)
SD_FORWARD(int, sd_bus_message_read_array, (sd_bus_message * m, char type, const void** ptr, size_t* size),
           (m, type, ptr, size), -ENOSYS)
SD_FORWARD(const char*, sd_bus_message_get_signature, (sd_bus_message * m, int complete), (m, complete),
           nullptr)
SD_FORWARD(int, sd_bus_message_has_signature, (sd_bus_message * m, const char* signature), (m, signature), 0)

SD_FORWARD_MESSAGE_VA(sd_bus_message_read, sd_bus_message_readv)
SD_FORWARD_MESSAGE_VA(sd_bus_message_append, sd_bus_message_appendv)

extern "C" int sd_bus_call_method(sd_bus* bus, const char* destination, const char* path,
                                  const char* interface, const char* member, sd_bus_error* ret_error,
                                  sd_bus_message** reply, const char* types, ...) {
    static const auto real =
        platform::ResolveIn<int (*)(sd_bus*, const char*, const char*, const char*, const char*,
                                    sd_bus_error*, sd_bus_message**, const char*, va_list)>(
            Systemd(), "sd_bus_call_methodv");
    if (!real) return -ENOSYS;
    va_list ap;
    va_start(ap, types);
    const int r = real(bus, destination, path, interface, member, ret_error, reply, types, ap);
    va_end(ap);
    return r;
}
