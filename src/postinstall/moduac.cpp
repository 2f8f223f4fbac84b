#include "postinstall/moduac.h"

namespace pelorin::postinstall::modUAC {

namespace {

constexpr int PollIntervalMs = 5;

Command registration(const wchar_t* option, const wchar_t* control) {
    Command command{L"regsvr32", {}};
    if (option)
        command.arguments.emplace_back(option);
    command.arguments.emplace_back(L"/s");
    command.arguments.emplace_back(control);
    return command;
}

// Closes the key when the routine leaves, whichever way it leaves.
class OpenKey {
public:
    OpenKey(Platform& platform, RegistryHandle handle) : m_platform(platform), m_handle(handle) {}
    ~OpenKey() { m_platform.closeKey(m_handle); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    RegistryHandle handle() const { return m_handle; }

private:
    Platform& m_platform;
    const RegistryHandle m_handle;
};

} // namespace

const std::array<Command, 6>& registrationCommands() {
    static const std::array<Command, 6> commands{
        registration(L"/u", L"mswinsck.ocx"), registration(nullptr, L"mswinsck.ocx"),
        registration(L"/u", L"mscomctl.ocx"), registration(nullptr, L"mscomctl.ocx"),
        registration(L"/u", L"msinet.ocx"),   registration(nullptr, L"msinet.ocx"),
    };
    return commands;
}

bool IsUACEnabled(Platform& platform) {
    try {
        const std::optional<RegistryHandle> handle =
            platform.openMachineKey(PolicyKey, 0, ReadAccess);
        if (!handle)
            return false;
        const OpenKey key(platform, *handle);
        const std::optional<std::uint32_t> value =
            platform.queryFourByteValue(key.handle(), EnableLuaValue);
        return value && *value == 1;
    } catch (const std::exception&) {
        return false;
    }
}

void waitUntilEnded(StartedProgram& program, EventPump& events) {
    for (;;) {
        const bool ended = program.hasEnded();
        events.processPendingEvents();
        if (ended)
            return;
        events.pause(PollIntervalMs);
    }
}

void RegisterControls(Platform& platform, EventPump& events) {
    for (const Command& command : registrationCommands()) {
        const std::unique_ptr<StartedProgram> program =
            platform.start(command, WindowStyle::MinimizedFocus);
        if (!program)
            return;
        events.processPendingEvents();
        waitUntilEnded(*program, events);
    }
}

} // namespace pelorin::postinstall::modUAC
