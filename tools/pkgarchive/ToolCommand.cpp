#include "ToolCommand.h"

ToolCommand::~ToolCommand() = default;
