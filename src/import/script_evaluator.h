#pragma once
#include <string>

// Runs a script in the current page without waiting for its outcome.
class ScriptEvaluator {
public:
    virtual ~ScriptEvaluator() = default;
    virtual void evaluateScript(const std::string& script) = 0;
};
