#include "ToolArguments.h"

#include "BuildConfig.h"

#include <cstdio>

ToolArguments::ToolArguments(std::set<std::string> valued, std::set<std::string> flags)
    : valued_(std::move(valued)), flags_(std::move(flags)) {
    flags_.insert("--help");
    flags_.insert("--version");
}

bool ToolArguments::Parse(int argc, char** argv, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional_.push_back(arg);
            continue;
        }
        std::string value;
        std::size_t equals = arg.find('=');
        bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        }
        // An option that is both (tolm-pack's --version NAME) takes a value when one follows.
        bool valueFollows = i + 1 < argc && std::string(argv[i + 1]).compare(0, 2, "--") != 0;
        if (flags_.count(arg) && !inlineValue && !(valued_.count(arg) && valueFollows)) {
            seen_.insert(arg);
        } else if (valued_.count(arg)) {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    error = "option " + arg + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            values_[arg].push_back(value);
            seen_.insert(arg);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

bool ToolArguments::Has(const std::string& name) const {
    return seen_.count(name) > 0;
}

std::string ToolArguments::Value(const std::string& name, const std::string& fallback) const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second.back();
}

std::vector<std::string> ToolArguments::Values(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::vector<std::string>() : it->second;
}

bool ToolArguments::AnswerHelpOrVersion(const char* tool, const char* usage) const {
    if (Has("--help")) {
        std::printf("%s", usage);
        return true;
    }
    if (Has("--version")) {
        std::printf("%s %s\n", tool, build_config::kVersionText);
        return true;
    }
    return false;
}
