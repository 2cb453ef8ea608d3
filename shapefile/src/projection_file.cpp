#include "shapefile/projection_file.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace morvane {

namespace {

// One WKT keyword with its bracketed contents: the first quoted text is its name, the bare
// numbers its values, the nested keywords its children.
struct WktNode {
  std::string Keyword;
  std::string Name;
  std::vector<double> Numbers;
  std::vector<WktNode> Children;

  const WktNode* Child(std::string_view keyword) const {
    for (const WktNode& child : Children) {
      if (child.Keyword == keyword) return &child;
    }
    return nullptr;
  }
};

constexpr int kMaxDepth = 16;  // real systems nest four or five deep

class WktParser {
 public:
  explicit WktParser(std::string_view text) : text_(text) {}

  std::optional<WktNode> Parse() {
    WktNode root;
    if (!Node(root, 0)) return std::nullopt;
    SkipBlanks();
    if (at_ != text_.size()) return std::nullopt;
    return root;
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Peek(char c) {
    SkipBlanks();
    return at_ < text_.size() && text_[at_] == c;
  }
  std::string Word() {
    SkipBlanks();
    const std::size_t start = at_;
    while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_')) ++at_;
    std::string word(text_.substr(start, at_ - start));
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
  }
  // A quoted text; a doubled quote inside stands for one.
  bool Quoted(std::string& out) {
    ++at_;
    for (; at_ < text_.size(); ++at_) {
      if (text_[at_] != '"') {
        out.push_back(text_[at_]);
      } else if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
        out.push_back('"');
        ++at_;
      } else {
        ++at_;
        return true;
      }
    }
    return false;
  }
  bool Number(double& value) {
    SkipBlanks();
    const char* begin = text_.data() + at_;
    const char* end = text_.data() + text_.size();
    if (begin != end && *begin == '+') ++begin;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop == begin) return false;
    at_ = static_cast<std::size_t>(stop - text_.data());
    return true;
  }

  bool Node(WktNode& node, int depth) {
    if (depth > kMaxDepth) return false;
    node.Keyword = Word();
    if (node.Keyword.empty()) return false;
    if (!Peek('[') && !Peek('(')) return false;
    const char close = text_[at_] == '[' ? ']' : ')';
    ++at_;
    bool named = false;
    for (;;) {
      SkipBlanks();
      if (at_ >= text_.size()) return false;
      const char c = text_[at_];
      if (c == '"') {
        std::string quoted;
        if (!Quoted(quoted)) return false;
        if (!named) node.Name = std::move(quoted);
        named = true;
      } else if (std::isalpha(static_cast<unsigned char>(c))) {
        const std::size_t start = at_;
        const std::string word = Word();
        if (Peek('[') || Peek('(')) {
          at_ = start;
          node.Children.emplace_back();
          if (!Node(node.Children.back(), depth + 1)) return false;
        }  // otherwise a bare word, such as the EAST of an axis: nothing to keep
      } else {
        double value = 0;
        if (!Number(value)) return false;
        node.Numbers.push_back(value);
      }
      if (Peek(',')) {
        ++at_;
        continue;
      }
      if (Peek(close)) {
        ++at_;
        return true;
      }
      return false;
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// Letters and digits only, upper case: "TWD_1997", "TWD97" and "Taiwan Datum 1997" compare as
// "TWD1997", "TWD97" and "TAIWANDATUM1997".
std::string Squeezed(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return out;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

NamedDatum DatumOfName(std::string_view name) {
  const std::string squeezed = Squeezed(name);
  if (Contains(squeezed, "TWD1967") || Contains(squeezed, "TWD67") || Contains(squeezed, "TAIWANDATUM1967"))
    return NamedDatum::Twd67;
  if (Contains(squeezed, "TWD1997") || Contains(squeezed, "TWD97") || Contains(squeezed, "TAIWANDATUM1997"))
    return NamedDatum::Twd97;
  if (Contains(squeezed, "WGS1984") || Contains(squeezed, "WGS84") || Contains(squeezed, "WORLDGEODETICSYSTEM1984"))
    return NamedDatum::Wgs84;
  return NamedDatum::Unknown;
}

// The datum's own name decides; the names of the systems around it stand in for one that says
// nothing ("D_unknown").
NamedDatum DatumOf(const WktNode& root, const WktNode& geographic) {
  const WktNode* datum = geographic.Child("DATUM");
  for (std::string_view name : {datum != nullptr ? std::string_view(datum->Name) : std::string_view(),
                                std::string_view(geographic.Name), std::string_view(root.Name)}) {
    const NamedDatum found = DatumOfName(name);
    if (found != NamedDatum::Unknown) return found;
  }
  return NamedDatum::Unknown;
}

std::optional<double> Parameter(const WktNode& projected, std::initializer_list<std::string_view> names) {
  for (const WktNode& child : projected.Children) {
    if (child.Keyword != "PARAMETER" || child.Numbers.empty()) continue;
    const std::string name = Squeezed(child.Name);
    for (std::string_view wanted : names) {
      if (name == wanted) return child.Numbers.front();
    }
  }
  return std::nullopt;
}

bool Near(std::optional<double> value, double wanted) { return value && std::fabs(*value - wanted) <= 1e-9 * std::max(1.0, std::fabs(wanted)); }

// The names of the two-degree grids by their meridian that the realisations of TWD97 carry
// ("TWD97[2020]_TM121", "TWD97[2010]_TM119").
constexpr std::string_view kTm121 = "TM121";
constexpr std::string_view kTm119 = "TM119";

// The central meridian that a grid's name gives when its parameters do not: the zones of the
// EPSG and ESRI names ("TM2 zone 119", "TM_Penghu", "UTM zone 51N", "TWD97[2020]_TM121").
std::optional<double> MeridianOfName(const std::string& squeezed) {
  if (Contains(squeezed, "TMTAIWAN") || Contains(squeezed, kTm121)) return 121.0;
  if (Contains(squeezed, "TMPENGHU") || Contains(squeezed, kTm119)) return 119.0;
  for (std::string_view zone : {"TM2ZONE", "UTMZONE"}) {
    const std::size_t at = squeezed.find(zone);
    if (at == std::string::npos) continue;
    int number = 0;
    const char* begin = squeezed.data() + at + zone.size();
    const auto [stop, error] = std::from_chars(begin, squeezed.data() + squeezed.size(), number);
    if (error != std::errc() || stop == begin) continue;
    return zone == "UTMZONE" ? 6.0 * number - 183.0 : static_cast<double>(number);
  }
  return std::nullopt;
}

std::optional<NamedGrid> TransverseMercatorGrid(const WktNode& projected, const std::string& squeezedName) {
  const std::optional<double> falseEasting = Parameter(projected, {"FALSEEASTING"});
  const std::optional<double> scale = Parameter(projected, {"SCALEFACTOR", "SCALEFACTORATNATURALORIGIN"});
  if (Near(falseEasting, 250000) && Near(scale, 0.9999)) return NamedGrid::Tm2;
  if (Near(falseEasting, 350000) && Near(scale, 1)) return NamedGrid::Tm3;
  if (Near(falseEasting, 500000) && Near(scale, 0.9996)) return NamedGrid::Utm;
  if (falseEasting || scale) return std::nullopt;  // stated, and another grid
  if (Contains(squeezedName, "UTMZONE")) return NamedGrid::Utm;
  if (Contains(squeezedName, "TM2") || Contains(squeezedName, "TMTAIWAN") || Contains(squeezedName, "TMPENGHU") ||
      Contains(squeezedName, kTm121) || Contains(squeezedName, kTm119))
    return NamedGrid::Tm2;
  return std::nullopt;
}

bool InMetres(const WktNode& projected) {
  const WktNode* unit = projected.Child("UNIT");
  if (unit == nullptr) return true;  // metres unless stated otherwise
  return !unit->Numbers.empty() && unit->Numbers.front() == 1.0;
}

std::optional<NamedSystem> ProjectedSystem(const WktNode& root) {
  const WktNode* geographic = root.Child("GEOGCS");
  const WktNode* projection = root.Child("PROJECTION");
  if (geographic == nullptr || projection == nullptr || !InMetres(root)) return std::nullopt;
  const std::string method = Squeezed(projection->Name);
  const std::string name = Squeezed(root.Name);
  NamedSystem system;
  system.Datum = DatumOf(root, *geographic);
  system.CentralMeridian = Parameter(root, {"CENTRALMERIDIAN", "LONGITUDEOFORIGIN", "LONGITUDEOFCENTER",
                                            "LONGITUDEOFNATURALORIGIN"});
  if (method.starts_with("LAMBERTCONFORMALCONIC")) {
    system.Grid = NamedGrid::Lambert;
    return system;
  }
  if (method != "TRANSVERSEMERCATOR" || system.Datum == NamedDatum::Unknown) return std::nullopt;
  const std::optional<NamedGrid> grid = TransverseMercatorGrid(root, name);
  if (!grid) return std::nullopt;
  system.Grid = *grid;
  if (!system.CentralMeridian) system.CentralMeridian = MeridianOfName(name);
  return system;
}

}  // namespace

std::optional<NamedSystem> ParseProjectionFile(std::string_view text) {
  // A byte order mark that some editors put in front of the text.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::optional<WktNode> root = WktParser(text).Parse();
  if (!root) return std::nullopt;
  if (root->Keyword == "PROJCS") return ProjectedSystem(*root);
  if (root->Keyword != "GEOGCS") return std::nullopt;
  NamedSystem system;
  system.Datum = DatumOf(*root, *root);
  if (system.Datum == NamedDatum::Unknown) return std::nullopt;
  return system;
}

}  // namespace morvane
