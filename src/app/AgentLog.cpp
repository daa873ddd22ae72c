#include "app/AgentLog.h"

Q_LOGGING_CATEGORY(lcAgent, "voltquill.agent", QtInfoMsg)
