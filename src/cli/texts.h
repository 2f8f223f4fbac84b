#pragma once

#include "rules/status.h"

#include <QString>
#include <QStringList>

// Every human-readable text pelorinctl prints comes from here, written in Japanese and shown in
// the user's language through Qt's translations (the English catalogue for everyone else); data
// (status words, JSON values, setting values) never is. Each text is a whole sentence with %1
// placeholders, so that a translation replaces it as a whole.
namespace pelorin::cli::text {

// The window's status texts and messages as pelorinctl shows them: the same words, except the
// empty text for a message pelorinctl says in its own way.
QString fromWindow(const QString& windowText);

QString usage();
QString version(const QString& number);
QString errorLine(const QString& message); // "pelorinctl: ..."
QString seeHelp();
QString seeCommandHelp(const QString& command);
QString didYouMean(const QStringList& names);
QString withSuggestion(const QString& message, const QStringList& suggestions);

// Options every command takes, and parsing.
QString optionJson();
QString optionQuiet();
QString optionHelp();
QString unknownCommand(const QString& name);
QString unknownOption(const QString& name);
QString unknownCommandOption(const QString& name, const QString& command);
QString noCommand();
QString settingsNeedsFile();
QString wrongArgumentCount(const QString& command);
QString settingsFileUnusable(const QString& problem, const QString& path);
QString argumentUrl();
QString noServerUrl();

// status, macs
QString describeStatus();
QString describeMacs();
QString macsUnusable(const QString& answer);
QString macsNoAnswer(const QString& page, const QString& seconds);

// wake, on
QString describeWake();
QString argumentMac();
QString optionTo();
QString optionPorts();
QString optionCount();
QString optionSecureOn();
QString badPorts(const QString& value);
QString badCount(int max, const QString& value);
QString badSecureOn(const QString& value);
QString noMac();
QString badMac(const QString& mac);
QString noWakeHost();
QString wakeFailed(const QString& destination, const QString& error);
QString wakeSent(int datagrams, const QString& mac, const QString& destination);

// on, off
QString describeOn();
QString describeOff();
QString storeMacHint();
QString noUsableMac();
QString neverWoke(int tries);
QString probeProblem(StatusWord word);
QString stillOn(int tries);
QString stillRefused(int tries);
QString unansweredHibernation(const QString& statusWord);
QString packetNotSent(const QString& destination, const QString& error);

// watch
QString describeWatch();
QString optionInterval(int seconds);
QString badInterval(int max, const QString& value);

// config
QString describeConfig();
QString argumentConfigAction();
QString optionPasswordStdin();
QString optionShowSecrets();
QString configUsage();
QString unknownConfigAction(const QString& action);
QString unknownSection(const QString& section);
QString unknownKey(const QString& key, const QString& section);
QString passwordStdinOnlyForPassword();
QString passwordStdinWithoutValue();
QString showSecretsOnlyForList();
QString passwordPrompt();
QString noPasswordFromTerminal();
QString noPasswordFromInput();
QString valueRefused();
QString cannotWrite(const QString& path);

// discover
QString describeDiscover();
QString argumentNetworks();
QString optionPort();
QString optionPath();
QString optionTimeout(int ms);
QString optionSave();
QString optionLocal();
QString notANetwork(const QString& text);
QString networkTooLarge(const QString& network, quint64 addresses, int widest);
QString badPort(const QString& value);
QString badPath(const QString& value);
QString badTimeout(int min, int max, const QString& value);
QString badSave(const QString& value);
QString noNetworkNamed(const QString& example);
QString noNetworkToSuggest();
QString scanning(qsizetype addresses);
QString noServerFound(qsizetype addresses);
QString saveOutOfRange(int n, qsizetype found);
QString saved(const QString& url);

// help
QString describeHelp();
QString argumentCommand();

} // namespace pelorin::cli::text
