#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// Command-line reading shared by the companion tools: "--name value" options, bare flags, and
// the --help / --version answers every tool gives.
class ToolArguments {
public:
    // `valued` lists the options that take a value, `flags` those that do not.
    ToolArguments(std::set<std::string> valued, std::set<std::string> flags);

    // False with a message in `error` for an unknown option or a missing value.
    bool Parse(int argc, char** argv, std::string& error);

    bool Has(const std::string& name) const;
    // The last value given for the option.
    std::string Value(const std::string& name, const std::string& fallback = std::string()) const;
    // Every value given for a repeatable option, in order.
    std::vector<std::string> Values(const std::string& name) const;
    const std::vector<std::string>& Positional() const { return positional_; }

    // Handles --help and --version: prints and returns true when the tool should exit 0.
    bool AnswerHelpOrVersion(const char* tool, const char* usage) const;

private:
    std::set<std::string> valued_;
    std::set<std::string> flags_;
    std::map<std::string, std::vector<std::string>> values_;
    std::set<std::string> seen_;
    std::vector<std::string> positional_;
};
