#include "COraPrs.h"

#include "oralib/statement.h"
#include "scripts.h"
#include "text.h"

#include <iostream>
#include <memory>
#include <vector>

const char16_t* const title_prefix = u"Tolvera Mendwick";

namespace {

class stream_ui : public CSessionUi {
public:
    void ShowError(std::u16string_view text) override { std::cerr << platform::to_narrow(text) << std::flush; }
    void ShowInfo(std::u16string_view text) override { std::cerr << platform::to_narrow(text) << std::endl; }
};

CSessionUi* application_ui = nullptr;

} // namespace

void SetApplicationUi(CSessionUi* ui) { application_ui = ui; }

CSessionUi& ApplicationUi() {
    static stream_ui fallback;
    return application_ui ? *application_ui : fallback;
}

void ShowMessage(CMessageList& list, std::u16string_view text, colorref colour) {
    list.Clear();
    list.SetTextColor(colour);
    list.AddColumn(0, u"Info", 500);
    list.AddItem(0, text);
}

COraPrs::COraPrs(CSessionUi* ui) : ui_(ui) {}

COraPrs::~COraPrs() { Disconnect(); }

CSessionUi& COraPrs::Ui() const { return ui_ ? *ui_ : ApplicationUi(); }

void COraPrs::ShowError(const oralib::error& e) const { Ui().ShowError(e.display_text()); }

void COraPrs::Disconnect() {
    if (connection_ptr && connected) {
        connection_ptr->close();
        connected = false;
    }
}

bool COraPrs::Connect() {
    Disconnect();
    // What an earlier failed logon left behind is released before the next one.
    if (connection_ptr->holds_handles())
        connection_ptr->close();
    std::string user = platform::to_narrow(descriptor.User);
    std::string password = platform::to_narrow(descriptor.Password);
    std::string database = platform::to_narrow(descriptor.Database);
    try {
        connection_ptr->open(database.c_str(), user.c_str(), password.c_str(), descriptor.ConnectAs, OCI_OBJECT,
                             false);
    } catch (const oralib::error& e) {
        connected = false;
        ShowError(e);
        return false;
    }
    connected = true;
    if (!connection_ptr->logon_warning().empty())
        Ui().ShowInfo(platform::to_utf16(connection_ptr->logon_warning()));
    return true;
}

bool COraPrs::PromptLogon() {
    if (!prompt_ || !prompt_->Prompt(descriptor))
        return false;
    if (!descriptor.User.empty())
        Disconnect();
    return true;
}

bool COraPrs::EnsureConnected() {
    if (connected)
        return true;
    for (;;) {
        if (!PromptLogon())
            return false;
        Connect();
        if (connected)
            return true;
    }
}

void COraPrs::StripCarriageReturns(std::u16string& text) { std::erase(text, u'\r'); }

bool COraPrs::RunStatement(CMessageList& list) {
    StripCarriageReturns(statement_text);
    bool result = true;
    std::unique_ptr<oralib::statement> stmt;
    std::unique_ptr<oralib::resultset> rs;
    try {
        std::string sql = platform::to_narrow(statement_text);
        stmt.reset(connection_ptr->prepare(sql.c_str(), -1));
        if (stmt->statement_type == OCI_STMT_SELECT) {
            rs.reset(stmt->select());
            FillFromResultSet(list, *rs);
        } else {
            stmt->execute();
            ReadOutput(list);
        }
    } catch (const oralib::error& e) {
        ShowError(e);
        result = false;
    }
    rs.reset();
    stmt.reset();
    return result;
}

void COraPrs::FillFromResultSet(CMessageList& list, oralib::resultset& rs) {
    list.Clear();
    try {
        std::vector<std::u16string> names;
        int position = 0;
        for (oralib::column* c = rs.first_column(); c; c = rs.next_column(c)) {
            names.push_back(platform::to_utf16(c->name()));
            list.AddColumn(position++, names.back(), 150);
        }
        if (rs.current_row < rs.rows_fetched || !rs.end_of_data) {
            int row = 0;
            do {
                for (size_t i = 0; i < names.size(); ++i) {
                    std::u16string text = GetColumnText(rs, names[i]);
                    if (i == 0)
                        list.AddItem(row, text);
                    else
                        list.SetCell(row, static_cast<int>(i), text);
                }
                ++row;
            } while (rs.next());
        }
    } catch (const oralib::error& e) {
        ShowError(e);
    }
}

std::u16string COraPrs::GetColumnText(oralib::resultset& rs, std::u16string_view name) {
    std::u16string text;
    try {
        std::string narrow = platform::to_narrow(name);
        oralib::column* c = rs.get_column(narrow.c_str());
        if (c->kind() == oralib::number)
            text = platform::to_utf16(c->as_text());
        else if (c->kind() == oralib::string)
            text = c->as_string();
    } catch (const oralib::error& e) {
        if (e.code != oralib::cannot_convert)
            ShowError(e);
        text.clear();
    }
    return text;
}

bool COraPrs::SearchInvalids(CMessageList& list) {
    list.SetTextColor(colour_red);
    statement_text = search_query;
    if (RunStatement(list))
        return true;
    ShowMessage(list, PrivilegesMessage(), colour_red);
    return false;
}

bool COraPrs::CompileInvalids(CMessageList& list) {
    EnableOutput();
    list.SetTextColor(colour_green);
    statement_text = recompile_script;
    bool ran = RunStatement(list);
    if (!ran)
        ShowMessage(list, PrivilegesMessage(), colour_red);
    DisableOutput();
    return ran;
}

void COraPrs::EnableOutput() {
    try {
        std::unique_ptr<oralib::statement> stmt(connection_ptr->prepare(enable_output_block, -1));
        stmt->execute();
    } catch (const oralib::error& e) {
        ShowError(e);
    }
}

void COraPrs::DisableOutput() {
    try {
        std::unique_ptr<oralib::statement> stmt(connection_ptr->prepare(disable_output_block, -1));
        stmt->execute();
    } catch (const oralib::error& e) {
        ShowError(e);
    }
}

void COraPrs::ReadOutput(CMessageList& list) {
    std::vector<std::u16string> lines;
    try {
        std::unique_ptr<oralib::statement> stmt(connection_ptr->prepare(get_line_block, -1));
        stmt->bind(":1", oralib::string, output_line_bytes);
        stmt->bind(":2", oralib::number);
        for (;;) {
            stmt->execute();
            if (stmt->get_parameter(":2")->as_int() != 0)
                break;
            oralib::parameter* line = stmt->get_parameter(":1");
            // An empty line comes back as NULL: it is a line all the same.
            lines.emplace_back(line->indicator() == -1 ? u"" : line->as_string());
        }
    } catch (const oralib::error& e) {
        ShowError(e);
    }
    list.Clear();
    list.AddColumn(0, u"Info", 500);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        list.AddItem(0, *it);
}

std::u16string COraPrs::ConnectedTitle() const {
    return std::u16string(title_prefix) + u" - " + descriptor.User + u"@" + descriptor.Database;
}

std::u16string COraPrs::ConnectedMessage() const {
    return descriptor.User + u"@" + descriptor.Database + u" connected...";
}

std::u16string COraPrs::PrivilegesMessage() const {
    return u"User " + descriptor.User + u"@" + descriptor.Database + u" doesn't have sufficient privileges";
}

std::u16string COraPrs::ConnectionErrorTitle() { return std::u16string(title_prefix) + u" - Connection Error"; }
