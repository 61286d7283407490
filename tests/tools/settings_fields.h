// Every field of a settings record as a list of texts, in stored order, so that two
// records compare (and print) field by field.
#ifndef QUIRE_TESTS_TOOLS_SETTINGS_FIELDS_H_
#define QUIRE_TESTS_TOOLS_SETTINGS_FIELDS_H_

#include <string>
#include <vector>

#include "book/container_format.h"
#include "book/ebook_settings.h"

namespace quire::testing {

inline std::vector<std::string> SettingsFields(EBookSettings settings) {
  struct Collector {
    std::vector<std::string> fields;
    bool Mark(uint32_t) { return true; }
    bool Int(int32_t& v) {
      fields.push_back(std::to_string(v));
      return true;
    }
    bool Text(std::string& t) {
      fields.push_back("'" + t + "'");
      return true;
    }
    bool ReservedInts(int) { return true; }
    bool ReservedTexts(int) { return true; }
  } collector;
  VisitSettings(collector, settings);
  return collector.fields;
}

}  // namespace quire::testing

#endif  // QUIRE_TESTS_TOOLS_SETTINGS_FIELDS_H_
