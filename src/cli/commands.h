#pragma once

#include "cli/context.h"

#include <QStringList>

namespace pelorin::cli {

// Each command gets its own arguments (without the command name) and the run's context, whose
// options its own --json and --quiet add to; it returns the exit status.
int runConfig(const QStringList& args, Context& context);
int runStatus(const QStringList& args, Context& context);
int runMacs(const QStringList& args, Context& context);
int runWake(const QStringList& args, Context& context);
int runOn(const QStringList& args, Context& context);
int runOff(const QStringList& args, Context& context);
int runWatch(const QStringList& args, Context& context);
int runDiscover(const QStringList& args, Context& context);

} // namespace pelorin::cli
