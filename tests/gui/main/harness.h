#pragma once

// The real main window offscreen: a settings file in a temporary folder, waits scaled down, and
// the seams answered by the test (messages and program ends counted, modal dialogs scripted).
#include "common/timing.h"
#include "common/ui/seams.h"
#include "dialogs/frmsetting.h"
#include "main/frmmain.h"
#include "settings/settings.h"
#include "simulator.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>

struct GuiHarness {
    using DialogAction = std::function<void(QDialog&)>;

    QTemporaryDir dir;
    QStringList messages;
    int dialogs = 0;
    std::deque<DialogAction> dialogScript; // past its end, dialogs are closed by their close box
    int programEnds = 0;

    explicit GuiHarness(double timeScale = 0.01) {
        pelorin::timing::setScale(timeScale);
        pelorin::setSettingsFilePath(dir.filePath(QStringLiteral("setting.ini")));
        pelorin::ui::setMessageHandler(
            [this](pelorin::MessageIcon, const QString& text) { messages.append(text); });
        pelorin::ui::setEndHandler([this] { ++programEnds; });
        pelorin::ui::setUrlOpener([](const QString&) { return true; });
        pelorin::ui::setModalHandler([this](QDialog& dialog) {
            ++dialogs;
            if (dialogScript.empty())
                return void(dialog.close());
            const DialogAction action = dialogScript.front();
            dialogScript.pop_front();
            action(dialog);
        });
    }

    ~GuiHarness() {
        pelorin::ui::setMessageHandler({});
        pelorin::ui::setEndHandler({});
        pelorin::ui::setUrlOpener({});
        pelorin::ui::setModalHandler({});
    }

    // The settings dialog's answer: this URL, then OK.
    static DialogAction chooseServer(const QString& url) {
        return [=](QDialog& dialog) {
            auto& setting = dynamic_cast<pelorin::frmSetting&>(dialog);
            setting.Combo1->setEditText(url);
            setting.Command2->click();
        };
    }
};

// A window against the simulator, the magic packet aimed at the simulator's own loopback ports.
// `stored` writes further settings (or scripts dialogs) before the window is made; with `load`
// false the test runs Form_Load itself.
struct Scene {
    GuiHarness harness;
    std::unique_ptr<tvsim::Simulator> server;
    std::unique_ptr<pelorin::frmMain> window;
    bool loaded = false;

    explicit Scene(tvsim::Config config = {}, const std::function<void(Scene&)>& stored = {},
                   bool load = true, double timeScale = 0.01)
        : harness(timeScale) {
        config.wolPorts = {0, 0};
        server = std::make_unique<tvsim::Simulator>(std::move(config));
        if (!server->start())
            qFatal("tvsim: %s", qPrintable(server->errorString()));
        pelorin::WriteIni(pelorin::ini::Server, pelorin::ini::URL, server->url());
        if (stored)
            stored(*this);
        window = std::make_unique<pelorin::frmMain>();
        pelorin::WakeOptions options;
        options.ports = server->wolPorts();
        window->powerCommands().setWakeOptions(options);
        if (load)
            loaded = window->Form_Load();
    }
};
