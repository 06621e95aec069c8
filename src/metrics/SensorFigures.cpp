#include "SensorFigures.h"

const char* pollOutcomeName(TPollOutcome outcome)
{
    switch (outcome) {
    case TPollOutcome::Ok:
        return "ok";
    case TPollOutcome::PingFailed:
        return "ping_failed";
    case TPollOutcome::NoAnswer:
        return "no_answer";
    case TPollOutcome::Refused:
        return "refused";
    case TPollOutcome::BadValue:
        return "bad_value";
    case TPollOutcome::Incomplete:
        break;
    }
    return "incomplete";
}
