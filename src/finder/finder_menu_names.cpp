#include "finder/finder_menu_names.h"

#include <algorithm>
#include <array>

namespace tidyframe {

namespace {

using namespace std::string_view_literals;

constexpr std::array viewTitles{
    "View"sv,   "显示"sv,         "顯示方式"sv,      "表示"sv,  "보기"sv, "Darstellung"sv, "Présentation"sv,
    "Visualización"sv, "Visualizar"sv, "Vista"sv, "Вид"sv,   "عرض"sv,  "दृश्य"sv,
};

constexpr std::array useGroupsTitles{
    "Use Groups"sv,  "使用群组"sv,        "使用群組"sv,        "グループを使用"sv,   "그룹 사용"sv,
    "Gruppen verwenden"sv, "Utiliser les groupes"sv, "Usar grupos"sv, "Usar Grupos"sv, "Utilizza gruppi"sv,
    "Использовать группы"sv, "استخدام المجموعات"sv, "समूह उपयोग करें"sv,
};

constexpr std::array groupTitles{
    "Group By"sv,    "分组方式"sv,    "群組分類"sv,     "グループ分け"sv, "다음으로 그룹화"sv,  "Gruppieren nach"sv,
    "Grouper par"sv, "Agrupar por"sv, "Raggruppa per"sv, "Группировать"sv, "تجميع حسب"sv, "इसके अनुसार समूह बनाएँ"sv,
};

constexpr std::array sortTitles{
    "Sort Groups By"sv,        "Sort By"sv,            "群组排序方式"sv,        "排序方式"sv,
    "群組排序方式"sv,          "グループの表示順序"sv, "表示順序"sv,            "다음으로 그룹 정렬"sv,
    "다음으로 정렬"sv,         "Gruppen sortieren nach"sv, "Sortieren nach"sv,  "Trier les groupes par"sv,
    "Trier par"sv,             "Ordenar grupos por"sv, "Ordenar por"sv,         "Ordenar Grupos por"sv,
    "Ordina gruppi per"sv,     "Ordina per"sv,         "Сортировать группы"sv,  "Сортировать"sv,
    "فرز المجموعات حسب"sv,     "فرز حسب"sv,            "इसके अनुसार समूह सॉर्ट करें"sv, "इसके अनुसार सॉर्ट करें"sv,
};

constexpr std::array kindTitles{
    "Kind"sv, "种类"sv, "種類"sv, "종류"sv, "Art"sv,   "Dateityp"sv, "Type"sv,
    "Clase"sv, "Tipo"sv, "Тип"sv, "النوع"sv, "نوع"sv, "प्रकार"sv,
};

// The Russian Finder writes "по имени" with a no-break space.
constexpr std::array nameTitles{
    "Name"sv, "名称"sv,   "名稱"sv, "名前"sv, "이름"sv,  "Nom"sv,
    "Nombre"sv, "Nome"sv, "Имя"sv,  "الاسم"sv, "नाम"sv, "по\u00A0имени"sv,
};

constexpr std::array modifiedTitles{
    "Date Modified"sv,        "修改日期"sv,          "変更日"sv,           "수정일"sv,
    "Änderungsdatum"sv,       "Date de modification"sv, "Fecha de modificación"sv, "Data de Modificação"sv,
    "Data de modificação"sv,  "Data di modifica"sv,  "Дата изменения"sv,   "تاريخ التعديل"sv,
    "बदलाव की तारीख"sv,       "Modificación"sv,      "संशोधन की तिथि"sv,
};

constexpr std::array createdTitles{
    "Date Created"sv,     "创建日期"sv,         "製作日期"sv,          "建立日期"sv,        "作成日"sv,
    "생성일"sv,           "Erstellungsdatum"sv, "Date de création"sv,  "Fecha de creación"sv, "Data de Criação"sv,
    "Data de criação"sv,  "Data di creazione"sv, "Дата создания"sv,    "تاريخ الإنشاء"sv,   "बनाने की तारीख"sv,
    "Creación"sv,         "बनाने की तिथि"sv,
};

constexpr std::array addedTitles{
    "Date Added"sv,       "添加日期"sv,         "加入日期"sv,          "追加日"sv,           "추가일"sv,
    "Hinzugefügt am"sv,   "Hinzugefügt"sv,      "Date d’ajout"sv,      "Date d'ajout"sv,     "Fecha de adición"sv,
    "Data de Adição"sv,   "Data de adição"sv,   "Data di aggiunta"sv,  "Дата добавления"sv,  "تاريخ الإضافة"sv,
    "जोड़ने की तारीख"sv,   "추가된 날짜"sv,       "Date de l’ajout"sv,   "Fecha de inclusión"sv, "Data da Adição"sv,
    "जोड़ने की तिथि"sv,
};

constexpr std::array openedTitles{
    "Date Last Opened"sv,          "上次打开日期"sv,       "上次開啟日期"sv,        "最後に開いた日"sv,
    "最近使用日"sv,                "최근 사용일"sv,        "Zuletzt geöffnet"sv,    "Letzte Öffnung"sv,
    "Date de dernière ouverture"sv, "Dernière ouverture"sv, "Fecha de última apertura"sv, "Última apertura"sv,
    "Data da Última Abertura"sv,   "Última abertura"sv,    "Data ultima apertura"sv, "Ultima apertura"sv,
    "Дата последнего открытия"sv,  "Последнее открытие"sv, "تاريخ آخر فتح"sv,       "आखिरी बार खोलने की तारीख"sv,
    "上次打開日期"sv,              "Fecha de la última apertura"sv, "अंतिम बार खोलने की तिथि"sv,
};

constexpr std::array sizeTitles{
    "Size"sv,    "大小"sv,   "サイズ"sv,     "크기"sv,       "Größe"sv,  "Taille"sv, "Tamaño"sv,
    "Tamanho"sv, "Dimensioni"sv, "Dimensione"sv, "Размер"sv, "الحجم"sv, "حجم"sv,    "आकार"sv,
};

constexpr std::array tagsTitles{
    "Tags"sv, "标签"sv, "標籤"sv, "タグ"sv, "태그"sv, "Étiquettes"sv, "Etiquetas"sv,
    "Tag"sv,  "Теги"sv, "الوسوم"sv, "وسوم"sv, "टैग"sv, "العلامات"sv,
};

constexpr std::array noneTitles{
    "None"sv,  "无"sv,     "無"sv,     "なし"sv,   "없음"sv, "Ohne"sv,   "Keine"sv,
    "Aucun"sv, "Ninguno"sv, "Nenhum"sv, "Nessuno"sv, "Нет"sv, "لا شيء"sv, "कोई नहीं"sv,
};

}  // namespace

namespace FinderMenuNames {

std::span<const std::string_view> view() { return viewTitles; }
std::span<const std::string_view> useGroups() { return useGroupsTitles; }
std::span<const std::string_view> group() { return groupTitles; }
std::span<const std::string_view> sort() { return sortTitles; }

}  // namespace FinderMenuNames

std::span<const std::string_view> menuNames(Grouping grouping) {
  switch (grouping) {
    case Grouping::kind: return kindTitles;
    case Grouping::name: return nameTitles;
    case Grouping::modified: return modifiedTitles;
    case Grouping::created: return createdTitles;
    case Grouping::added: return addedTitles;
    case Grouping::opened: return openedTitles;
    case Grouping::size: return sizeTitles;
    case Grouping::tags: return tagsTitles;
    case Grouping::none: return noneTitles;
  }
  return noneTitles;
}

std::span<const std::string_view> menuNames(Sorting sorting) { return menuNames(grouping(sorting)); }

std::vector<std::string> widenedMenuNames(std::string_view title) {
  for (auto candidate : allCases<Grouping>()) {
    const auto names = menuNames(candidate);
    if (std::ranges::find(names, title) != names.end()) return {names.begin(), names.end()};
  }
  return {std::string(title)};
}

}  // namespace tidyframe
