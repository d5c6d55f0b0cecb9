#include "i18n/texttable.h"

namespace {

// UTF-8 in the source: the Chinese columns keep the program's own wording and its ASCII
// punctuation ("!", ":", ".", "(" and ")"), which operators recognise from the printed manuals.
const char8_t *const messages[TextTable::MessageCount][TextTable::ColumnCount] = {
    /*  0 */ { u8"ZU42vIZ-O5 Test Tools V0563", u8"ZU42vIZ-O5 控制器测试工具 V0563", u8"ZU42vIZ-O5 控制器測試工具 V0563" },
    /*  1 */ { u8"Open communication port error!", u8"开启通讯阜错误!", u8"開啟通訊阜錯誤!" },
    /*  2 */ { u8"Start connect device", u8"连线装置", u8"連線裝置" },
    /*  3 */ { u8"Select controller type", u8"请选择控制器机型", u8"請選擇控制器機型" },
    /*  4 */ { u8"Device serial is set", u8"控制器序号已经设定了", u8"控制器序號已經設定了" },
    /*  5 */ { u8"&Language", u8"语言(&Language)", u8"語言(&Language)" },
    /*  6 */ { u8"&File", u8"档案(&F)", u8"檔案(&F)" },
    /*  7 */ { u8"&Setup", u8"设定(&S)", u8"設定(&S)" },
    /*  8 */ { u8"E&xit", u8"离开(&x)", u8"離開(&x)" },
    /*  9 */ { u8"&English", u8"&Simplified chinese(简体)", u8"&Traditional chinese(繁體)" },
    /* 10 */ { u8"COM", u8"串列", u8"串列" },
    /* 11 */ { u8"NET", u8"网路", u8"網路" },
    /* 12 */ { u8"Speed:", u8"速率:", u8"速率:" },
    /* 13 */ { u8"Port:", u8"连接阜:", u8"連接阜:" },
    /* 14 */ { u8"Test card", u8"测试卡", u8"測試卡" },
    /* 15 */ { u8"&Firmware file", u8"韧体档案(&F)", u8"韌體檔案(&F)" },
    /* 16 */ { u8"Connect device", u8"连线装置", u8"連線裝置" },
    /* 17 */ { u8"Connecting device ...", u8"连线装置中 ...", u8"連線裝置中 ..." },
    /* 18 */ { u8"Connect device error!", u8"连线装置错误!", u8"連線裝置錯誤!" },
    /* 19 */ { u8"Connect device ok.", u8"连线装置完成.", u8"連線裝置完成." },
    /* 20 */ { u8"Command ok.", u8"指令完成.", u8"指令完成." },
    /* 21 */ { u8"Command error!", u8"指令错误!", u8"指令錯誤!" },
    /* 22 */ { u8"Function test", u8"功能测试", u8"功能測試" },
    /* 23 */ { u8"Product test", u8"成品测试", u8"成品測試" },
    /* 24 */ { u8"Command test", u8"指令测试", u8"指令測試" },
    /* 25 */ { u8"Tamper test", u8"反破坏开关测试", u8"反破壞開關測試" },
    /* 26 */ { u8"Set card type", u8"设定卡片类别", u8"設定卡片類別" },
    /* 27 */ { u8"Set card bits", u8"设定卡片位元", u8"設定卡片位元" },
    /* 28 */ { u8"Set same card delay", u8"设定相同卡延迟", u8"設定相同卡延遲" },
    /* 29 */ { u8"Set date type", u8"设定日期格式", u8"設定日期格式" },
    /* 30 */ { u8"Set hour type", u8"设定时间格式", u8"設定時間格式" },
    /* 31 */ { u8"Set ext reader", u8"设定外接读卡机", u8"設定外接讀卡機" },
    /* 32 */ { u8"Set reader type", u8"设定读卡机类别", u8"設定讀卡機類別" },
    /* 33 */ { u8"Set door LOG", u8"设定开关门记录", u8"設定開關門記錄" },
    /* 34 */ { u8"Set door force", u8"设定强行进入", u8"設定強行進入" },
    /* 35 */ { u8"Set door timeout", u8"设定开门逾时", u8"設定開門逾時" },
    /* 36 */ { u8"Set timeout time", u8"设定逾时时间", u8"設定逾時時間" },
    /* 37 */ { u8"Get parameter", u8"读取参数", u8"讀取參數" },
    /* 38 */ { u8"Please re-boot after parameter modification", u8"参数修改后请重新开机", u8"參數修改後請重新開機" },
    /* 39 */ { u8"Set DI mode", u8"设定输入点模式", u8"設定輸入點模式" },
    /* 40 */ { u8"Set language(ZO425)", u8"设定语言(ZO425)", u8"設定語言(ZO425)" },
    /* 41 */ { u8"Set baudrate", u8"设定通讯速率", u8"設定通訊速率" },
    /* 42 */ { u8"Set master", u8"设定母卡与密码", u8"設定母卡與密碼" },
    /* 43 */ { u8"Set ID", u8"设定ID", u8"設定ID" },
    /* 44 */ { u8"Set title(ZO425)", u8"设定标题(ZO425)", u8"設定標題(ZO425)" },
    /* 45 */ { u8"Set show status(ZO425)", u8"设定显示状态(ZO425)", u8"設定顯示狀態(ZO425)" },
    /* 46 */ { u8"Set", u8"设定", u8"設定" },
    /* 47 */ { u8"Set(RO420)", u8"设定(RO420)", u8"設定(RO420)" },
    /* 48 */ { u8"Set(ZO425)", u8"设定(ZO425)", u8"設定(ZO425)" },
    /* 49 */ { u8"Get", u8"取回", u8"取回" },
    /* 50 */ { u8"Show status", u8"显示班别", u8"顯示班別" },
    /* 51 */ { u8"Use status", u8"启用班别", u8"啟用班別" },
    /* 52 */ { u8"Title", u8"标题", u8"標題" },
    /* 53 */ { u8"Auto test", u8"自动测试", u8"自動測試" },
    /* 54 */ { u8"Cancel auto test", u8"取消自动测试", u8"取消自動測試" },
    /* 55 */ { u8"DIDO test", u8"接点测试", u8"接點測試" },
    /* 56 */ { u8"Set reboot", u8"设定重新开机", u8"設定重新開機" },
    /* 57 */ { u8"Set factory", u8"设定出厂值", u8"設定出廠值" },
    /* 58 */ { u8"Set factory", u8"设定出厂值", u8"設定出廠值" },
    /* 59 */ { u8"Set reboot", u8"设定重新开机", u8"設定重新開機" },
    /* 60 */ { u8"Factory sucess.", u8"生产完成.", u8"生產完成." },
    /* 61 */ { u8"S/N not match!", u8"序号不符!", u8"序號不符!" },
    /* 62 */ { u8"Set date and time", u8"设定日期时间", u8"設定日期時間" },
    /* 63 */ { u8"Alarm test", u8"警报测试", u8"警報測試" },
    /* 64 */ { u8"Controller command test", u8"控制器指令测试", u8"控制器指令測試" },
    /* 65 */ { u8"Command test", u8"指令测试", u8"指令測試" },
    /* 66 */ { u8"Send command:", u8"发送指令:", u8"發送指令:" },
    /* 67 */ { u8"Receive data:", u8"接收资料:", u8"接收資料:" },
    /* 68 */ { u8"Invalid value!", u8"数值错误!", u8"數值錯誤!" },
    /* 69 */ { u8"Command too long!", u8"指令过长!", u8"指令過長!" },
};

} // namespace

QString TextTable::text(int id, int column)
{
    if (id < 0 || id >= MessageCount || column < 0 || column >= ColumnCount)
        return QString();
    return QString::fromUtf8(messages[id][column]);
}
