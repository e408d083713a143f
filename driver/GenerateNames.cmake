# Writes the header of the driver's names and the table of its published constant values from
# the three fact files beside this script:
#   constants.txt     NAME VALUE            (integer constants)
#   setting-keys.txt  NAME "text"           (keys of the connection settings)
#   methods.txt       type member(args)     (members of the driver object)
# Run as: cmake -DCONSTANTS=... -DSETTING_KEYS=... -DMETHODS=... -DOUT_HEADER=... -DOUT_SOURCE=...
#         -P GenerateNames.cmake
# A malformed line stops the build naming the file and the line.

cmake_minimum_required(VERSION 3.22)

foreach(var CONSTANTS SETTING_KEYS METHODS OUT_HEADER OUT_SOURCE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "GenerateNames.cmake: ${var} is not set")
  endif()
endforeach()

# Words a member name cannot be in C++; such a member gets a trailing underscore.
set(cxx_keywords
  alignas alignof and and_eq asm auto bitand bitor bool break case catch char char8_t char16_t
  char32_t class compl concept const consteval constexpr constinit const_cast continue co_await
  co_return co_yield decltype default delete do double dynamic_cast else enum explicit export
  extern false float for friend goto if inline int long mutable namespace new noexcept not not_eq
  nullptr operator or or_eq private protected public register reinterpret_cast requires return
  short signed sizeof static static_assert static_cast struct switch template this thread_local
  throw true try typedef typeid typename union unsigned using virtual void volatile wchar_t while
  xor xor_eq)

# --- integer constants -------------------------------------------------------------------------
file(STRINGS "${CONSTANTS}" constant_lines ENCODING UTF-8)
set(constant_names "")
set(table_entries "")
set(line_no 0)
foreach(line IN LISTS constant_lines)
  math(EXPR line_no "${line_no} + 1")
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^(LIBFPTR_[A-Z0-9_]+) (-?[0-9]+)$")
    message(FATAL_ERROR "${CONSTANTS}:${line_no}: not a constant line: '${line}'")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(value "${CMAKE_MATCH_2}")
  if(DEFINED seen_${name})
    message(FATAL_ERROR "${CONSTANTS}:${line_no}: ${name} listed twice")
  endif()
  set(seen_${name} 1)
  list(APPEND constant_names "${name}")
  # The C interface takes constants as 32-bit unsigned values; one above the int range keeps its
  # 32 bits (LIBFPTR_UC_OTHERS 4294967295 is -1 as an int).
  if(value GREATER 4294967295 OR value LESS -2147483648)
    message(FATAL_ERROR "${CONSTANTS}:${line_no}: ${value} does not fit in 32 bits")
  elseif(value GREATER 2147483647)
    set(value "static_cast<int>(${value}u)")
  endif()
  set(value_${name} "${value}")
endforeach()
list(LENGTH constant_names constant_count)
if(constant_count EQUAL 0)
  message(FATAL_ERROR "${CONSTANTS}: no constants")
endif()

# --- setting keys ------------------------------------------------------------------------------
file(STRINGS "${SETTING_KEYS}" key_lines ENCODING UTF-8)
set(key_names "")
set(line_no 0)
foreach(line IN LISTS key_lines)
  math(EXPR line_no "${line_no} + 1")
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^(LIBFPTR_SETTING_[A-Z0-9_]+) \"([A-Za-z0-9_]*)\"$")
    message(FATAL_ERROR "${SETTING_KEYS}:${line_no}: not a setting key line: '${line}'")
  endif()
  set(name "${CMAKE_MATCH_1}")
  if(DEFINED seen_${name})
    message(FATAL_ERROR "${SETTING_KEYS}:${line_no}: ${name} listed twice")
  endif()
  set(seen_${name} 1)
  list(APPEND key_names "${name}")
  set(key_${name} "${CMAKE_MATCH_2}")
endforeach()

# --- members -----------------------------------------------------------------------------------
file(STRINGS "${METHODS}" method_lines ENCODING UTF-8)
set(member_names "")
set(line_no 0)
foreach(line IN LISTS method_lines)
  math(EXPR line_no "${line_no} + 1")
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^[A-Za-z]+(\\[\\])? ([A-Za-z][A-Za-z0-9_]*)\\(.*\\)$")
    message(FATAL_ERROR "${METHODS}:${line_no}: not a member line: '${line}'")
  endif()
  set(name "${CMAKE_MATCH_2}")
  if(NOT DEFINED member_${name})
    set(member_${name} 1)
    list(APPEND member_names "${name}")
  endif()
endforeach()

# --- header ------------------------------------------------------------------------------------
set(h "// Generated at build time from driver/constants.txt, driver/setting-keys.txt and\n")
string(APPEND h "// driver/methods.txt. Do not edit.\n")
string(APPEND h "#pragma once\n#include <QString>\n#include <optional>\n#include <string_view>\n\n")
string(APPEND h "// Names of the driver's constants: use these instead of text so that a typo fails to compile.\n")
string(APPEND h "namespace drv::names {\n")
set(all_names ${constant_names} ${key_names})
list(SORT all_names)
foreach(name IN LISTS all_names)
  string(APPEND h "inline constexpr char ${name}[] = \"${name}\";\n")
endforeach()
string(APPEND h "}  // namespace drv::names\n\n")
string(APPEND h "// Names of the driver object's members.\nnamespace drv::members {\n")
list(SORT member_names)
foreach(name IN LISTS member_names)
  set(id "${name}")
  if(name IN_LIST cxx_keywords)
    set(id "${name}_")
  endif()
  string(APPEND h "inline constexpr char ${id}[] = \"${name}\";\n")
endforeach()
string(APPEND h "}  // namespace drv::members\n\n")
string(APPEND h "namespace drv {\n")
string(APPEND h "// The value the maker's driver publishes for an integer constant; nullopt for any other name.\n")
string(APPEND h "std::optional<int> constantValue(std::string_view name);\n")
string(APPEND h "std::optional<int> constantValue(const QString& name);\n")
string(APPEND h "inline std::optional<int> constantValue(const char* name) { return constantValue(std::string_view(name)); }\n")
string(APPEND h "// The text of a connection setting key (LIBFPTR_SETTING_...); nullopt for any other name.\n")
string(APPEND h "std::optional<QString> settingKey(std::string_view name);\n")
string(APPEND h "std::optional<QString> settingKey(const QString& name);\n")
string(APPEND h "inline std::optional<QString> settingKey(const char* name) { return settingKey(std::string_view(name)); }\n")
string(APPEND h "// Whether the driver object has a member of this name.\n")
string(APPEND h "bool isMember(std::string_view name);\n")
string(APPEND h "// Number of integer constants in the table.\n")
string(APPEND h "inline constexpr int kConstantCount = ${constant_count};\n")
string(APPEND h "}  // namespace drv\n")

# --- table source ------------------------------------------------------------------------------
set(s "// Generated at build time from the driver's fact files. Do not edit.\n")
string(APPEND s "#include \"driver/Names.h\"\n\n#include <algorithm>\n#include <iterator>\n#include <utility>\n\n")
string(APPEND s "namespace drv {\nnamespace {\n\n")
string(APPEND s "using Entry = std::pair<std::string_view, int>;\n")
string(APPEND s "// Sorted by name (byte order) for binary search.\nconstexpr Entry kConstants[] = {\n")
set(sorted_constants ${constant_names})
list(SORT sorted_constants)
foreach(name IN LISTS sorted_constants)
  string(APPEND s "    {\"${name}\", ${value_${name}}},\n")
endforeach()
string(APPEND s "};\n\n")
string(APPEND s "using KeyEntry = std::pair<std::string_view, std::string_view>;\nconstexpr KeyEntry kSettingKeys[] = {\n")
set(sorted_keys ${key_names})
list(SORT sorted_keys)
foreach(name IN LISTS sorted_keys)
  string(APPEND s "    {\"${name}\", \"${key_${name}}\"},\n")
endforeach()
string(APPEND s "};\n\n")
string(APPEND s "constexpr std::string_view kMembers[] = {\n")
foreach(name IN LISTS member_names)
  string(APPEND s "    \"${name}\",\n")
endforeach()
string(APPEND s "};\n\n")
string(APPEND s [=[
template <typename Table>
auto findByName(const Table& table, std::string_view name) {
    const auto* end = std::end(table);
    const auto* it = std::lower_bound(std::begin(table), end, name,
                                      [](const auto& e, std::string_view n) { return e.first < n; });
    return it != end && it->first == name ? it : nullptr;
}

static_assert(std::size(kConstants) == kConstantCount);

}  // namespace

std::optional<int> constantValue(std::string_view name) {
    if (const auto* e = findByName(kConstants, name)) return e->second;
    return std::nullopt;
}

std::optional<int> constantValue(const QString& name) {
    const QByteArray latin = name.toLatin1();
    return constantValue(std::string_view(latin.constData(), size_t(latin.size())));
}

std::optional<QString> settingKey(std::string_view name) {
    if (const auto* e = findByName(kSettingKeys, name))
        return QString::fromLatin1(e->second.data(), qsizetype(e->second.size()));
    return std::nullopt;
}

std::optional<QString> settingKey(const QString& name) {
    const QByteArray latin = name.toLatin1();
    return settingKey(std::string_view(latin.constData(), size_t(latin.size())));
}

bool isMember(std::string_view name) {
    return std::binary_search(std::begin(kMembers), std::end(kMembers), name);
}

}  // namespace drv
]=])

file(WRITE "${OUT_HEADER}" "${h}")
file(WRITE "${OUT_SOURCE}" "${s}")
