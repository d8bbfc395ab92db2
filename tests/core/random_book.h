#pragma once
// Test support: random records for the search, every byte value among them.
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>

#include "book/appointment.h"
#include "temp_folder.h"

namespace quimbaro::testing {

struct RandomBook {
    std::mt19937 random{20261207};
    std::string Pick(std::initializer_list<const char*> choices) {
        return testing::W(choices.begin()[random() % choices.size()]);
    }
    // Letters of both cases, accents, digits, separators, and now and then any byte at all.
    std::string Text(std::size_t width, const std::string& planted) {
        std::string text;
        while (text.size() < width) {
            if (random() % 8 == 0) text += static_cast<char>(random() % 256);
            else text += Pick({"a", "P", "l", "Ñ", "ñ", "é", "È", "u", "Ü", "ÿ", "Ÿ", "š", "Š", "ß", "æ", " ", "9", "-"});
        }
        if (!planted.empty() && random() % 3 == 0) text.replace(random() % width, planted.size(), planted);
        text.resize(width);
        if (random() % 4 != 0) text[random() % width] = '\0';  // the field ends early
        return text;
    }
    std::string Record(const std::string& planted) {
        Appointment record;
        StoreField(record.date, Pick({"05/06/2026", "15/06/2026", "07/06/2026", "31/12/2026", "31/02/2026", "00/03/2026",
                                      "5/06/2026", "05/06/2027", ""}));
        const std::string phone = Text(sizeof record.phone, "") + Pick({"612 34 56 78", "(612)345-678", "61234"});
        std::memcpy(record.phone, phone.data() + phone.size() - sizeof record.phone, sizeof record.phone);
        const std::string name = Text(sizeof record.name, planted), subject = Text(sizeof record.subject, planted);
        std::memcpy(record.name, name.data(), sizeof record.name);
        std::memcpy(record.subject, subject.data(), sizeof record.subject);
        return Bytes(record);
    }
};

}  // namespace quimbaro::testing
