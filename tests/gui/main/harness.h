#pragma once

// Shared set-up for tests that drive the real main window offscreen: a settings file in a
// temporary folder, waits scaled down, and the seams answered by the test (messages are
// recorded, modal dialogs are driven by a script, program end is recorded).
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
    QStringList dialogsOpened; // class names, in order
    std::deque<DialogAction> dialogScript;
    int programEnds = 0;
    QStringList openedUrls;

    explicit GuiHarness(double timeScale = 0.01) {
        pelorin::timing::setScale(timeScale);
        pelorin::setSettingsFilePath(dir.filePath(QStringLiteral("setting.ini")));
        pelorin::ui::setMessageHandler(
            [this](pelorin::MessageIcon, const QString& text) { messages.append(text); });
        pelorin::ui::setEndHandler([this] { ++programEnds; });
        pelorin::ui::setUrlOpener([this](const QString& url) {
            openedUrls.append(url);
            return true;
        });
        // A dialog without a scripted answer is simply closed, as the window's close box would.
        pelorin::ui::setModalHandler([this](QDialog& dialog) {
            dialogsOpened.append(QString::fromLatin1(dialog.metaObject()->className()));
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

// A window against the simulator, with the magic packet aimed at the simulator's own loopback
// ports. `stored` writes further settings (or scripts dialogs) before the window is made; with
// `load` false the test runs Form_Load itself.
struct Scene {
    GuiHarness harness;
    std::unique_ptr<tvsim::Simulator> server;
    std::unique_ptr<pelorin::frmMain> window;
    bool loaded = false;

    explicit Scene(tvsim::Config config = {}, const std::function<void(Scene&)>& stored = {},
                   bool load = true, double timeScale = 0.01)
        : harness(timeScale) {
        if (config.wolPorts.isEmpty())
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
