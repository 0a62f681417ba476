#include "app/protmon-cli/cli_docs.h"

#include "app/protmon-cli/cli_option_table.h"

#include <set>
#include <string_view>

namespace protmon::cli {

namespace {

// Verbatim text for roff: backslashes escaped, minus signs that stay minus signs when copied, no
// line taken for a request.
std::string RoffVerbatim(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// Every option a command takes, the common ones included, in the order of its description.
std::vector<const TOptionSpec*> OptionsOf(const TCommandEntry& command) {
    std::vector<const TOptionSpec*> options;
    std::set<std::string_view> seen;
    const auto add = [&](const TOptionGroup& group) {
        for (const TOptionSpec& option : group)
            if (seen.insert(option.Name).second)
                options.push_back(&option);
    };
    add(CommonOptions());
    for (const TOptionGroup* group : command.Options)
        add(*group);
    return options;
}

std::string Join(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

// The case items of `_protmon_cli_value`: "COMMAND OPTION") followed by what it offers.
std::string ValueCases() {
    std::string out;
    for (const TCommandEntry& command : CommandEntries())
        for (const TOptionSpec* option : OptionsOf(command)) {
            if (!option->TakesValue)
                continue;
            const std::string offer = option->FileValue         ? "FILE"
                                      : option->Choices.empty() ? "VALUE"
                                                                : Join(option->Choices);
            out += "    \"" + std::string(command.Name) + " " + option->Name + "\") echo \"" +
                   offer + "\" ;;\n";
        }
    return out;
}

// The case items of `_protmon_cli_options`: each command's options.
std::string OptionCases() {
    std::string out;
    for (const TCommandEntry& command : CommandEntries()) {
        std::vector<std::string> names;
        for (const TOptionSpec* option : OptionsOf(command))
            names.emplace_back(option->Name);
        out += "    " + std::string(command.Name) + ") echo \"" + Join(names) + "\" ;;\n";
    }
    return out;
}

std::string CommandNames() {
    std::vector<std::string> names;
    for (const TCommandEntry& command : CommandEntries())
        names.emplace_back(command.Name);
    return Join(names);
}

std::string CommonOptionNames() {
    std::vector<std::string> names;
    for (const TOptionSpec& option : CommonOptions())
        names.emplace_back(option.Name);
    return Join(names);
}

constexpr std::string_view kCompletionBody = R"(
_protmon_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=""
    COMPREPLY=()
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "--opt=value": bash splits at "=" (COMP_WORDBREAKS).
    if [[ $cur == "=" ]]; then
        cur=""
        prev=${COMP_WORDS[COMP_CWORD - 1]}
    elif [[ $prev == "=" ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    if ((COMP_CWORD == 1)); then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$_protmon_cli_common" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$_protmon_cli_commands" -- "$cur")
        fi
        return 0
    fi

    local command=${COMP_WORDS[1]} options
    options=$(_protmon_cli_options "$command")
    [[ -n $options ]] || return 0
    if [[ $prev == -* ]]; then
        local value
        value=$(_protmon_cli_value "$command" "$prev")
        if [[ $value == FILE ]]; then
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return 0
        elif [[ $value == VALUE ]]; then
            return 0
        elif [[ -n $value ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$value" -- "$cur")
            return 0
        fi
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
    return 0
}

complete -F _protmon_cli protmon-cli
)";

} // namespace

std::string ManPageCommands() {
    std::string out = "[COMMANDS]\n";
    for (const TCommandEntry& command : CommandEntries()) {
        out += ".SS \"" + std::string(command.Name) + "\"\n.nf\n";
        out += RoffVerbatim(FormatHelp(*command.Help));
        out += ".fi\n";
    }
    return out;
}

std::string CompletionScript() {
    return "# bash completion for protmon-cli                                  -*- shell-script "
           "-*-\n"
           "# shellcheck shell=bash\n"
           "#\n"
           "# Written when protmon-cli is built, from its table of commands and options.\n"
           "\n"
           "_protmon_cli_commands=\"" +
           CommandNames() + "\"\n_protmon_cli_common=\"" + CommonOptionNames() +
           "\"\n\n"
           "# The options of command $1.\n"
           "_protmon_cli_options() {\n"
           "    case $1 in\n" +
           OptionCases() +
           "    esac\n"
           "}\n\n"
           "# What follows option $2 of command $1: its choices, FILE for a file name, VALUE for\n"
           "# any other value, nothing for an option without a value.\n"
           "_protmon_cli_value() {\n"
           "    case \"$1 $2\" in\n" +
           ValueCases() + "    esac\n}\n" + std::string(kCompletionBody);
}

} // namespace protmon::cli
