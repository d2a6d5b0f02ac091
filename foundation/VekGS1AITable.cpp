#include "foundation/VekGS1AITable.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvel {

namespace {

// One row of the table: an AI, or a run of AIs written "310n" whose last
// digit goes from `lastFrom` to `lastTo`, and the format of the value in the
// notation of the GS1 syntax: components separated by spaces, each a
// character set (N digits, X CSET 82, Y CSET 39, Z CSET 64) with a fixed
// length ("N14") or a maximum ("X..20"), a meaning after a comma ("csum",
// "yymmdd", "yymmd0", ...) and brackets around a component that may be left
// out.
struct TRow {
    const char* ai;
    char lastFrom;
    char lastTo;
    const char* format;
    const char* title;
};

// The Application Identifiers of the GS1 General Specifications, Release 24.0
// (January 2024), section 3.2, with the formats of their values (section 3.2
// and the check digit, date and character set rules of sections 7.9 to 7.11).
// Internal AIs 91-99 are in; AIs withdrawn before that release are out.
constexpr TRow rows[] = {
    {"00", 0, 0, "N18,csum", "SSCC"},
    {"01", 0, 0, "N14,csum", "GTIN"},
    {"02", 0, 0, "N14,csum", "CONTENT"},
    {"03", 0, 0, "N14,csum", "MTO GTIN"},
    {"10", 0, 0, "X..20", "BATCH/LOT"},
    {"11", 0, 0, "N6,yymmd0", "PROD DATE"},
    {"12", 0, 0, "N6,yymmd0", "DUE DATE"},
    {"13", 0, 0, "N6,yymmd0", "PACK DATE"},
    {"15", 0, 0, "N6,yymmd0", "BEST BEFORE or BEST BY"},
    {"16", 0, 0, "N6,yymmd0", "SELL BY"},
    {"17", 0, 0, "N6,yymmd0", "USE BY or EXPIRY"},
    {"20", 0, 0, "N2", "VARIANT"},
    {"21", 0, 0, "X..20", "SERIAL"},
    {"22", 0, 0, "X..20", "CPV"},
    {"235", 0, 0, "X..28", "TPX"},
    {"240", 0, 0, "X..30", "ADDITIONAL ID"},
    {"241", 0, 0, "X..30", "CUST. PART No."},
    {"242", 0, 0, "N..6", "MTO VARIANT"},
    {"243", 0, 0, "X..20", "PCN"},
    {"250", 0, 0, "X..30", "SECONDARY SERIAL"},
    {"251", 0, 0, "X..30", "REF. TO SOURCE"},
    {"253", 0, 0, "N13,csum X..17", "GDTI"},
    {"254", 0, 0, "X..20", "GLN EXTENSION COMPONENT"},
    {"255", 0, 0, "N13,csum N..12", "GCN"},
    {"30", 0, 0, "N..8", "VAR. COUNT"},
    // Trade and logistic measures: the AI's last digit is the number of
    // decimals in the value.
    {"310n", '0', '5', "N6", "NET WEIGHT (kg)"},
    {"311n", '0', '5', "N6", "LENGTH (m)"},
    {"312n", '0', '5', "N6", "WIDTH (m)"},
    {"313n", '0', '5', "N6", "HEIGHT (m)"},
    {"314n", '0', '5', "N6", "AREA (m2)"},
    {"315n", '0', '5', "N6", "NET VOLUME (l)"},
    {"316n", '0', '5', "N6", "NET VOLUME (m3)"},
    {"320n", '0', '5', "N6", "NET WEIGHT (lb)"},
    {"321n", '0', '5', "N6", "LENGTH (in)"},
    {"322n", '0', '5', "N6", "LENGTH (ft)"},
    {"323n", '0', '5', "N6", "LENGTH (yd)"},
    {"324n", '0', '5', "N6", "WIDTH (in)"},
    {"325n", '0', '5', "N6", "WIDTH (ft)"},
    {"326n", '0', '5', "N6", "WIDTH (yd)"},
    {"327n", '0', '5', "N6", "HEIGHT (in)"},
    {"328n", '0', '5', "N6", "HEIGHT (ft)"},
    {"329n", '0', '5', "N6", "HEIGHT (yd)"},
    {"330n", '0', '5', "N6", "GROSS WEIGHT (kg)"},
    {"331n", '0', '5', "N6", "LENGTH (m), log"},
    {"332n", '0', '5', "N6", "WIDTH (m), log"},
    {"333n", '0', '5', "N6", "HEIGHT (m), log"},
    {"334n", '0', '5', "N6", "AREA (m2), log"},
    {"335n", '0', '5', "N6", "VOLUME (l), log"},
    {"336n", '0', '5', "N6", "VOLUME (m3), log"},
    {"337n", '0', '5', "N6", "KG PER m2"},
    {"340n", '0', '5', "N6", "GROSS WEIGHT (lb)"},
    {"341n", '0', '5', "N6", "LENGTH (in), log"},
    {"342n", '0', '5', "N6", "LENGTH (ft), log"},
    {"343n", '0', '5', "N6", "LENGTH (yd), log"},
    {"344n", '0', '5', "N6", "WIDTH (in), log"},
    {"345n", '0', '5', "N6", "WIDTH (ft), log"},
    {"346n", '0', '5', "N6", "WIDTH (yd), log"},
    {"347n", '0', '5', "N6", "HEIGHT (in), log"},
    {"348n", '0', '5', "N6", "HEIGHT (ft), log"},
    {"349n", '0', '5', "N6", "HEIGHT (yd), log"},
    {"350n", '0', '5', "N6", "AREA (in2)"},
    {"351n", '0', '5', "N6", "AREA (ft2)"},
    {"352n", '0', '5', "N6", "AREA (yd2)"},
    {"353n", '0', '5', "N6", "AREA (in2), log"},
    {"354n", '0', '5', "N6", "AREA (ft2), log"},
    {"355n", '0', '5', "N6", "AREA (yd2), log"},
    {"356n", '0', '5', "N6", "NET WEIGHT (t oz)"},
    {"357n", '0', '5', "N6", "NET VOLUME (oz)"},
    {"360n", '0', '5', "N6", "NET VOLUME (qt)"},
    {"361n", '0', '5', "N6", "NET VOLUME (gal.)"},
    {"362n", '0', '5', "N6", "VOLUME (qt), log"},
    {"363n", '0', '5', "N6", "VOLUME (gal.), log"},
    {"364n", '0', '5', "N6", "VOLUME (in3)"},
    {"365n", '0', '5', "N6", "VOLUME (ft3)"},
    {"366n", '0', '5', "N6", "VOLUME (yd3)"},
    {"367n", '0', '5', "N6", "VOLUME (in3), log"},
    {"368n", '0', '5', "N6", "VOLUME (ft3), log"},
    {"369n", '0', '5', "N6", "VOLUME (yd3), log"},
    {"37", 0, 0, "N..8", "COUNT"},
    {"390n", '0', '9', "N..15", "AMOUNT"},
    {"391n", '0', '9', "N3 N..15", "AMOUNT"},
    {"392n", '0', '9', "N..15", "PRICE"},
    {"393n", '0', '9', "N3 N..15", "PRICE"},
    {"394n", '0', '3', "N4", "PRCNT OFF"},
    {"395n", '0', '5', "N6", "PRICE/UoM"},
    {"400", 0, 0, "X..30", "ORDER NUMBER"},
    {"401", 0, 0, "X..30", "GINC"},
    {"402", 0, 0, "N17,csum", "GSIN"},
    {"403", 0, 0, "X..30", "ROUTE"},
    {"410", 0, 0, "N13,csum", "SHIP TO LOC"},
    {"411", 0, 0, "N13,csum", "BILL TO"},
    {"412", 0, 0, "N13,csum", "PURCHASE FROM"},
    {"413", 0, 0, "N13,csum", "SHIP FOR LOC"},
    {"414", 0, 0, "N13,csum", "LOC No."},
    {"415", 0, 0, "N13,csum", "PAY TO"},
    {"416", 0, 0, "N13,csum", "PROD/SERV LOC"},
    {"417", 0, 0, "N13,csum", "PARTY"},
    {"420", 0, 0, "X..20", "SHIP TO POST"},
    {"421", 0, 0, "N3 X..9", "SHIP TO POST"},
    {"422", 0, 0, "N3", "ORIGIN"},
    {"423", 0, 0, "N3 N..12", "COUNTRY - INITIAL PROCESS."},
    {"424", 0, 0, "N3", "COUNTRY - PROCESS."},
    {"425", 0, 0, "N3 N..12", "COUNTRY - DISASSEMBLY"},
    {"426", 0, 0, "N3", "COUNTRY - FULL PROCESS"},
    {"427", 0, 0, "X..3", "ORIGIN SUBDIVISION"},
    {"4300", 0, 0, "X..35", "SHIP TO COMP"},
    {"4301", 0, 0, "X..35", "SHIP TO NAME"},
    {"4302", 0, 0, "X..70", "SHIP TO ADD1"},
    {"4303", 0, 0, "X..70", "SHIP TO ADD2"},
    {"4304", 0, 0, "X..70", "SHIP TO SUB"},
    {"4305", 0, 0, "X..70", "SHIP TO LOC"},
    {"4306", 0, 0, "X..70", "SHIP TO REG"},
    {"4307", 0, 0, "X2", "SHIP TO COUNTRY"},
    {"4308", 0, 0, "X..30", "SHIP TO PHONE"},
    {"4309", 0, 0, "N20", "SHIP TO GEO"},
    {"4310", 0, 0, "X..35", "RTN TO COMP"},
    {"4311", 0, 0, "X..35", "RTN TO NAME"},
    {"4312", 0, 0, "X..70", "RTN TO ADD1"},
    {"4313", 0, 0, "X..70", "RTN TO ADD2"},
    {"4314", 0, 0, "X..70", "RTN TO SUB"},
    {"4315", 0, 0, "X..70", "RTN TO LOC"},
    {"4316", 0, 0, "X..70", "RTN TO REG"},
    {"4317", 0, 0, "X2", "RTN TO COUNTRY"},
    {"4318", 0, 0, "X..20", "RTN TO POST"},
    {"4319", 0, 0, "X..30", "RTN TO PHONE"},
    {"4320", 0, 0, "X..35", "SRV DESCRIPTION"},
    {"4321", 0, 0, "N1,yesno", "DANGEROUS GOODS"},
    {"4322", 0, 0, "N1,yesno", "AUTH LEAVE"},
    {"4323", 0, 0, "N1,yesno", "SIG REQUIRED"},
    {"4324", 0, 0, "N10,yymmddhhmm", "NBEF DEL DT."},
    {"4325", 0, 0, "N10,yymmddhhmm", "NAFT DEL DT."},
    {"4326", 0, 0, "N6,yymmdd", "REL DATE"},
    {"4330", 0, 0, "N6 [X1,minus]", "MAX TEMP F."},
    {"4331", 0, 0, "N6 [X1,minus]", "MAX TEMP C."},
    {"4332", 0, 0, "N6 [X1,minus]", "MIN TEMP F."},
    {"4333", 0, 0, "N6 [X1,minus]", "MIN TEMP C."},
    {"7001", 0, 0, "N13", "NSN"},
    {"7002", 0, 0, "X..30", "MEAT CUT"},
    {"7003", 0, 0, "N10,yymmddhhmm", "EXPIRY TIME"},
    {"7004", 0, 0, "N..4", "ACTIVE POTENCY"},
    {"7005", 0, 0, "X..12", "CATCH AREA"},
    {"7006", 0, 0, "N6,yymmdd", "FIRST FREEZE DATE"},
    {"7007", 0, 0, "N6,yymmdd [N6,yymmdd]", "HARVEST DATE"},
    {"7008", 0, 0, "X..3", "AQUATIC SPECIES"},
    {"7009", 0, 0, "X..10", "FISHING GEAR TYPE"},
    {"7010", 0, 0, "X..2", "PROD METHOD"},
    {"7011", 0, 0, "N6,yymmdd [N4,hhmm]", "TEST BY DATE"},
    {"7020", 0, 0, "X..20", "REFURB LOT"},
    {"7021", 0, 0, "X..20", "FUNC STAT"},
    {"7022", 0, 0, "X..20", "REV STAT"},
    {"7023", 0, 0, "X..30", "GIAI - ASSEMBLY"},
    {"703n", '0', '9', "N3 X..27", "PROCESSOR # s"},
    {"7040", 0, 0, "N1 X3", "UIC+EXT"},
    {"7041", 0, 0, "X..4", "UFRGT UNIT TYPE"},
    {"710", 0, 0, "X..20", "NHRN PZN"},
    {"711", 0, 0, "X..20", "NHRN CIP"},
    {"712", 0, 0, "X..20", "NHRN CN"},
    {"713", 0, 0, "X..20", "NHRN DRN"},
    {"714", 0, 0, "X..20", "NHRN AIM"},
    {"715", 0, 0, "X..20", "NHRN NDC"},
    {"723n", '0', '9', "X2 X..28", "CERT # s"},
    {"7240", 0, 0, "X..20", "PROTOCOL"},
    {"7241", 0, 0, "N2", "AIDC MEDIA TYPE"},
    {"7242", 0, 0, "X..25", "VCN"},
    {"7250", 0, 0, "N8,yyyymmdd", "DOB"},
    {"7251", 0, 0, "N12,yyyymmddhhmm", "DOB TIME"},
    {"7252", 0, 0, "N1", "BIO SEX"},
    {"7253", 0, 0, "X..40", "FAMILY NAME"},
    {"7254", 0, 0, "X..40", "GIVEN NAME"},
    {"7255", 0, 0, "X..10", "SUFFIX"},
    {"7256", 0, 0, "X..90", "FULL NAME"},
    {"7257", 0, 0, "X..70", "PERSON ADDR"},
    {"7258", 0, 0, "N1 X1 N1", "BIRTH SEQUENCE"},
    {"7259", 0, 0, "X..40", "BABY"},
    {"8001", 0, 0, "N14", "DIMENSIONS"},
    {"8002", 0, 0, "X..20", "CMT No."},
    {"8003", 0, 0, "N14,csum X..16", "GRAI"},
    {"8004", 0, 0, "X..30", "GIAI"},
    {"8005", 0, 0, "N6", "PRICE PER UNIT"},
    {"8006", 0, 0, "N14,csum N2 N2", "ITIP"},
    {"8007", 0, 0, "X..34", "IBAN"},
    {"8008", 0, 0, "N8,yymmddhh [N..4,mmss]", "PROD TIME"},
    {"8009", 0, 0, "X..50", "OPTSEN"},
    {"8010", 0, 0, "Y..30", "CPID"},
    {"8011", 0, 0, "N..12", "CPID SERIAL"},
    {"8012", 0, 0, "X..20", "VERSION"},
    {"8013", 0, 0, "X..25", "GMN"},
    {"8017", 0, 0, "N18,csum", "GSRN - PROVIDER"},
    {"8018", 0, 0, "N18,csum", "GSRN - RECIPIENT"},
    {"8019", 0, 0, "N..10", "SRIN"},
    {"8020", 0, 0, "X..25", "REF No."},
    {"8026", 0, 0, "N14,csum N2 N2", "ITIP CONTENT"},
    {"8030", 0, 0, "Z..90", "DIGSIG"},
    {"8110", 0, 0, "X..70", "-"},
    {"8111", 0, 0, "N4", "POINTS"},
    {"8112", 0, 0, "X..70", "-"},
    {"8200", 0, 0, "X..70", "PRODUCT URL"},
    {"90", 0, 0, "X..30", "INTERNAL"},
    {"9n", '1', '9', "X..90", "INTERNAL"},
};

// The first two digits of the AIs whose element strings have a predefined
// length and so need no separator after them.
constexpr std::array<const char*, 22> predefinedLengthPrefixes = {
    "00", "01", "02", "03", "04", "11", "12", "13", "14", "15", "16",
    "17", "18", "19", "20", "31", "32", "33", "34", "35", "36", "41"};

TVekGS1Meaning meaningNamed(std::string_view name) {
    using M = TVekGS1Meaning;
    if (name == "csum") return M::checkDigit;
    if (name == "yymmdd") return M::dateYYMMDD;
    if (name == "yymmd0") return M::dateYYMMD0;
    if (name == "yymmddhh") return M::dateTimeHH;
    if (name == "yymmddhhmm") return M::dateTimeHHMM;
    if (name == "hhmm") return M::timeHHMM;
    if (name == "yyyymmdd") return M::dateYYYYMMDD;
    if (name == "yyyymmddhhmm") return M::dateTimeYYYYMMDDHHMM;
    if (name == "mmss") return M::minutesSeconds;
    if (name == "yesno") return M::yesNo;
    if (name == "minus") return M::minusSign;
    return M::none;
}

int parseNumber(std::string_view text) {
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

// "N14,csum", "X..20", "[N6,yymmdd]" as a component.
TVekGS1Component parseComponent(std::string_view text) {
    TVekGS1Component component;
    if (text.starts_with('[')) {
        component.optional = true;
        text = text.substr(1, text.size() - 2);
    }
    switch (text[0]) {
        case 'N': component.charset = TVekGS1Charset::numeric; break;
        case 'X': component.charset = TVekGS1Charset::cset82; break;
        case 'Y': component.charset = TVekGS1Charset::cset39; break;
        default: component.charset = TVekGS1Charset::cset64; break;
    }
    text.remove_prefix(1);
    const size_t comma = text.find(',');
    std::string_view length = text.substr(0, comma);
    if (comma != std::string_view::npos) component.meaning = meaningNamed(text.substr(comma + 1));
    if (length.starts_with("..")) {
        component.minLength = 1;
        component.maxLength = parseNumber(length.substr(2));
    } else {
        component.minLength = component.maxLength = parseNumber(length);
    }
    return component;
}

std::vector<TVekGS1Component> parseFormat(std::string_view format) {
    std::vector<TVekGS1Component> components;
    while (!format.empty()) {
        const size_t space = format.find(' ');
        components.push_back(parseComponent(format.substr(0, space)));
        format = space == std::string_view::npos ? std::string_view() : format.substr(space + 1);
    }
    return components;
}

bool isRun(const TRow& row) { return row.lastFrom != 0; }

// The row's AI pattern without the run's "n".
std::string_view stemOf(const TRow& row) {
    const std::string_view ai(row.ai);
    return isRun(row) ? ai.substr(0, ai.size() - 1) : ai;
}

TVekGS1ApplicationIdentifier identifierOf(const TRow& row, std::string_view ai) {
    TVekGS1ApplicationIdentifier identifier;
    identifier.ai = std::string(ai);
    identifier.title = row.title;
    identifier.components = parseFormat(row.format);
    // The measures of 31-36 and the amounts, prices and percentages of 390-395.
    identifier.impliedDecimal = isRun(row) && (ai[0] == '3' && ai[1] >= '1' && ai[1] <= '9');
    return identifier;
}

}  // namespace

bool TVekGS1ApplicationIdentifier::isFixedLength() const {
    return std::all_of(components.begin(), components.end(), [](const TVekGS1Component& component) {
        return component.minLength == component.maxLength && !component.optional;
    });
}

int TVekGS1ApplicationIdentifier::maxLength() const {
    int total = 0;
    for (const TVekGS1Component& component : components) total += component.maxLength;
    return total;
}

std::optional<TVekGS1ApplicationIdentifier> TVekGS1AITable::lookup(std::string_view elementString) {
    // AIs are prefix free: at most one row matches.
    for (const TRow& row : rows) {
        const std::string_view stem = stemOf(row);
        if (!elementString.starts_with(stem)) continue;
        if (!isRun(row)) return identifierOf(row, stem);
        if (elementString.size() <= stem.size()) continue;
        const char last = elementString[stem.size()];
        if (last >= row.lastFrom && last <= row.lastTo) return identifierOf(row, elementString.substr(0, stem.size() + 1));
    }
    return std::nullopt;
}

bool TVekGS1AITable::hasPredefinedLength(std::string_view ai) {
    if (ai.size() < 2) return false;
    return std::any_of(predefinedLengthPrefixes.begin(), predefinedLengthPrefixes.end(),
                       [ai](const char* prefix) { return ai.substr(0, 2) == prefix; });
}

std::vector<TVekGS1ApplicationIdentifier> TVekGS1AITable::all() {
    std::vector<TVekGS1ApplicationIdentifier> list;
    for (const TRow& row : rows) {
        if (!isRun(row)) {
            list.push_back(identifierOf(row, row.ai));
            continue;
        }
        for (char last = row.lastFrom; last <= row.lastTo; ++last)
            list.push_back(identifierOf(row, std::string(stemOf(row)) + last));
    }
    return list;
}

}  // namespace orvel
