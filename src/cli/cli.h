#pragma once

#include "cli/network.h"

#include <QIODevice>
#include <QStringList>
#include <QTextStream>

#include <functional>

// pelorinctl as a library: main() runs it on the process's streams, tests in their own process
// on streams of their own.
namespace pelorin::cli {

// What a run takes from the system besides its arguments and output streams.
struct RunInput {
    QIODevice* input = nullptr;   // standard input (a password is read from it); nothing: none
    bool inputIsTerminal = false; // a password is then typed at the terminal without echo
    // The machine's IPv4 networks, which `discover` suggests and --local scans.
    std::function<QList<Ipv4Network>()> localNetworks = localIpv4Networks;
};

// Runs one command line (the arguments after the program's name): results on `out`, progress
// and errors on `err`, the settings in the file --settings names or else in Pelorin's own.
// Returns the exit status.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
        const RunInput& input = {});

} // namespace pelorin::cli
