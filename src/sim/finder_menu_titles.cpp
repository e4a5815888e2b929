#include "sim/finder_menu_titles.h"

#include <string_view>
#include <utility>

namespace tidyframe {

namespace {

// The simulated Finder's own wording per language, as its menus read. Kept apart from the
// application's title lists on purpose: a title missing there must fail against this model.
FinderMenuTitles base(FinderMenuLanguage language) {
  switch (language) {
    case FinderMenuLanguage::english:
      return {"File", "Edit", "View", "Go", "Window", "Help",
              "as Icons", "as List", "as Columns", "as Gallery",
              "Use Groups", "Group By", "Sort By", "Sort Groups By",
              {"None", "Name", "Kind", "Application", "Date Last Opened", "Date Added", "Date Modified",
               "Date Created", "Size", "Tags"}};
    case FinderMenuLanguage::simplifiedChinese:
      return {"文件", "编辑", "显示", "前往", "窗口", "帮助",
              "为图标", "为列表", "为分栏", "为画廊",
              "使用群组", "分组方式", "排序方式", "群组排序方式",
              {"无", "名称", "种类", "应用程序", "上次打开日期", "添加日期", "修改日期", "创建日期", "大小", "标签"}};
    case FinderMenuLanguage::traditionalChinese:
      return {"檔案", "編輯", "顯示方式", "前往", "視窗", "輔助說明",
              "以圖像顯示", "以列表顯示", "以直欄顯示", "以圖庫顯示",
              "使用群組", "群組分類", "排序方式", "群組排序方式",
              {"無", "名稱", "種類", "應用程式", "上次打開日期", "加入日期", "修改日期", "製作日期", "大小", "標籤"}};
    case FinderMenuLanguage::japanese:
      return {"ファイル", "編集", "表示", "移動", "ウインドウ", "ヘルプ",
              "アイコン", "リスト", "カラム", "ギャラリー",
              "グループを使用", "グループ分け", "表示順序", "グループの表示順序",
              {"なし", "名前", "種類", "アプリケーション", "最後に開いた日", "追加日", "変更日", "作成日", "サイズ", "タグ"}};
    case FinderMenuLanguage::korean:
      return {"파일", "편집", "보기", "이동", "윈도우", "도움말",
              "아이콘으로", "목록으로", "열로", "갤러리로",
              "그룹 사용", "다음으로 그룹화", "다음으로 정렬", "다음으로 그룹 정렬",
              {"없음", "이름", "종류", "응용 프로그램", "최근 사용일", "추가일", "수정일", "생성일", "크기", "태그"}};
    case FinderMenuLanguage::german:
      return {"Ablage", "Bearbeiten", "Darstellung", "Gehe zu", "Fenster", "Hilfe",
              "Als Symbole", "Als Liste", "Als Spalten", "Als Galerie",
              "Gruppen verwenden", "Gruppieren nach", "Sortieren nach", "Gruppen sortieren nach",
              {"Ohne", "Name", "Art", "Programm", "Zuletzt geöffnet", "Hinzugefügt am", "Änderungsdatum",
               "Erstellungsdatum", "Größe", "Tags"}};
    case FinderMenuLanguage::french:
      return {"Fichier", "Édition", "Présentation", "Aller", "Fenêtre", "Aide",
              "Par icônes", "Par liste", "Par colonnes", "Par galerie",
              "Utiliser les groupes", "Grouper par", "Trier par", "Trier les groupes par",
              {"Aucun", "Nom", "Type", "Application", "Date de dernière ouverture", "Date d’ajout",
               "Date de modification", "Date de création", "Taille", "Tags"}};
    case FinderMenuLanguage::spanish:
      return {"Archivo", "Edición", "Visualización", "Ir", "Ventana", "Ayuda",
              "Como iconos", "Como lista", "Como columnas", "Como galería",
              "Usar grupos", "Agrupar por", "Ordenar por", "Ordenar grupos por",
              {"Ninguno", "Nombre", "Clase", "Aplicación", "Fecha de última apertura", "Fecha de adición",
               "Fecha de modificación", "Fecha de creación", "Tamaño", "Etiquetas"}};
    case FinderMenuLanguage::portuguese:
      return {"Arquivo", "Editar", "Visualizar", "Ir", "Janela", "Ajuda",
              "como Ícones", "como Lista", "como Colunas", "como Galeria",
              "Usar Grupos", "Agrupar por", "Ordenar por", "Ordenar Grupos por",
              {"Nenhum", "Nome", "Tipo", "Aplicativo", "Data da Última Abertura", "Data de Adição",
               "Data de Modificação", "Data de Criação", "Tamanho", "Etiquetas"}};
    case FinderMenuLanguage::italian:
      return {"File", "Modifica", "Vista", "Vai", "Finestra", "Aiuto",
              "Come icone", "Come elenco", "Come colonne", "Come galleria",
              "Utilizza gruppi", "Raggruppa per", "Ordina per", "Ordina gruppi per",
              {"Nessuno", "Nome", "Tipo", "Applicazione", "Data ultima apertura", "Data di aggiunta",
               "Data di modifica", "Data di creazione", "Dimensioni", "Tag"}};
    case FinderMenuLanguage::russian:
      return {"Файл", "Правка", "Вид", "Переход", "Окно", "Справка",
              "Как значки", "Как список", "Как колонки", "Как галерея",
              "Использовать группы", "Группировать", "Сортировать", "Сортировать группы",
              {"Нет", "Имя", "Тип", "Программа", "Дата последнего открытия", "Дата добавления",
               "Дата изменения", "Дата создания", "Размер", "Теги"}};
    case FinderMenuLanguage::arabic:
      return {"ملف", "تحرير", "عرض", "انتقال", "نافذة", "مساعدة",
              "كأيقونات", "كقائمة", "كأعمدة", "كمعرض",
              "استخدام المجموعات", "تجميع حسب", "فرز حسب", "فرز المجموعات حسب",
              {"لا شيء", "الاسم", "النوع", "التطبيق", "تاريخ آخر فتح", "تاريخ الإضافة", "تاريخ التعديل",
               "تاريخ الإنشاء", "الحجم", "العلامات"}};
    case FinderMenuLanguage::hindi:
      return {"फ़ाइल", "संपादित करें", "दृश्य", "जाएँ", "विंडो", "सहायता",
              "आइकन के रूप में", "सूची के रूप में", "कॉलम के रूप में", "गैलरी के रूप में",
              "समूह उपयोग करें", "इसके अनुसार समूह बनाएँ", "इसके अनुसार सॉर्ट करें", "इसके अनुसार समूह सॉर्ट करें",
              {"कोई नहीं", "नाम", "प्रकार", "ऐप", "अंतिम बार खोलने की तिथि", "जोड़ने की तिथि", "संशोधन की तिथि",
               "बनाने की तिथि", "आकार", "टैग"}};
    case FinderMenuLanguage::dutch:
      return {"Archief", "Wijzig", "Weergave", "Ga", "Venster", "Help",
              "Als symbolen", "Als lijst", "Als kolommen", "Als galerie",
              "Gebruik groepen", "Groepeer op", "Sorteer op", "Sorteer groepen op",
              {"Geen", "Naam", "Soort", "Programma", "Laatst geopend", "Datum toegevoegd", "Wijzigingsdatum",
               "Aanmaakdatum", "Grootte", "Tags"}};
  }
  return base(FinderMenuLanguage::english);
}

void straighten(std::string& text) {
  constexpr std::string_view curly = "’";
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (std::string_view(text).substr(i, curly.size()) == curly) {
      out += '\'';
      i += curly.size();
    } else {
      out += text[i++];
    }
  }
  text = std::move(out);
}

}  // namespace

FinderMenuTitles finderMenuTitles(const FinderMenuStyle& style) {
  FinderMenuTitles titles = base(style.language);
  if (style.straightApostrophes) {
    for (auto& key : titles.keys) straighten(key);
  }
  if (style.groupByTitle) titles.groupBy = *style.groupByTitle;
  if (style.sortByTitle) {
    titles.sortBy = *style.sortByTitle;
    titles.sortGroupsBy = *style.sortByTitle;
  }
  return titles;
}

}  // namespace tidyframe
