import zlib, struct

def gbk_escape(s):
    out = []
    for ch in s:
        if ord(ch) < 0x80:
            out.append({'\\':'\\\\','{':'\\{','}':'\\}'}.get(ch, ch))
        else:
            try:
                b = ch.encode('gbk')
                out.append(''.join("\\'%02x" % x for x in b))
            except UnicodeEncodeError:
                out.append('\\u%d?' % (ord(ch) if ord(ch) < 32768 else ord(ch) - 65536))
    return ''.join(out)

def uni(s):
    return ''.join(('\\u%d?' % (ord(c) if ord(c) < 32768 else ord(c) - 65536)) if ord(c) >= 0x80 else c for c in s)

def png(w, h, rgb):
    raw = b''.join(b'\x00' + bytes(rgb) * w for _ in range(h))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

head = ("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fcharset134 "
        + gbk_escape('宋体') + ";}{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fnil\\fcharset134 " + gbk_escape('黑体')
        + ";}}\r\n{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n")

files = {}
files['stem_gbk.rtf'] = (head + "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs21 "
    + gbk_escape('下列关于增值税纳税义务发生时间的说法中，正确的是（  ）。') + "\\par\r\n"
    + ''.join(gbk_escape(x) + "\\par\r\n" for x in ['A．采取预收货款方式的，为收到预收款的当天',
        'B．采取赊销方式的，为书面合同约定的收款日期的当天', 'C．委托他人代销货物的，为发出代销货物的当天',
        'D．采取直接收款方式的，为货物发出的当天']) + "}\r\n")
files['stem_unicode.rtf'] = ("{\\rtf1\\ansi\\ansicpg936\\uc1\\deff0\\stshfdbch13\\stshfloch0{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2"
    "{\\*\\panose 02020603050405020304}Times New Roman;}{\\f13\\fnil\\fcharset134\\fprq2{\\*\\panose 02010600030101010101}"
    + gbk_escape('宋体') + "{\\*\\falt SimSun};}}{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 "
    "\\fs21\\lang1033\\langfe2052\\kerning2\\loch\\f0\\hich\\af0\\dbch\\af13\\cgrid\\langnp1033\\langfenp2052 \\snext0 Normal;}}"
    "{\\info{\\title " + gbk_escape('试题') + "}{\\author user}{\\creatim\\yr2008\\mo3\\dy1\\hr9\\min5}}\r\n"
    "\\pard\\plain \\qj \\li0\\ri0\\nowidctlpar\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 \\fs21\\lang1033\\langfe2052"
    "\\loch\\af0\\hich\\af0\\dbch\\af13 {\\hich\\af0\\dbch\\af13\\loch\\f13 " + uni('某企业2008年') + "}{\\f13\\uc2\\u24212\\'d3\\'a6\\u32435\\'c4\\'c9"
    "\\u31246\\'cb\\'b0}{\\hich\\af0\\dbch\\af13\\loch\\f13 " + uni('所得额为100万元，税率25%。') + "\\par }"
    "{\\hich\\af0\\dbch\\af13\\loch\\f13 \\u-10179?\\u-8704? \\u8364? \\'80\\par }}")
rows = [('项目', '金额（万元）', '备注'), ('销售额', '100', ''), ('应纳税额', '13', '13%税率')]
files['explanation_table.rtf'] = (head + "\\viewkind4\\uc1\\pard\\f0\\fs21 " + gbk_escape('解析：按下表计算。') + "\\par\r\n"
    + ''.join("\\trowd\\trgaph108\\trleft-108\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx2000"
        "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx4500\\cellx7000\r\n"
        "\\pard\\intbl\\qc " + gbk_escape(a) + "\\cell " + gbk_escape(b) + "\\cell {\\b " + gbk_escape(c) + "}\\cell\\row\r\n"
        for a, b, c in rows)
    + "\\pard " + gbk_escape('故选C。') + "\\par\r\n}")
p = png(6, 4, (200, 30, 30)).hex()
files['picture_png.rtf'] = (head + "\\viewkind4\\uc1\\pard\\f0 " + gbk_escape('如图所示：') + "\\par\r\n"
    "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}"
    "\\picscalex100\\picscaley100\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw159\\pich106\\picwgoal90\\pichgoal60\\pngblip"
    "\\bliptag255{\\*\\blipuid 0123456789abcdef0123456789abcdef}\r\n"
    + '\r\n'.join(p[i:i+64] for i in range(0, len(p), 64))
    + "}}{\\nonshppict{\\pict\\picscalex100\\picscaley100\\picw159\\pich106\\picwgoal90\\pichgoal60\\wmetafile8\\bliptag255 "
    "010009000003ae00000000008500000000000400000003010800050000000b0200000000}}\\par\r\n}")
files['picture_other.rtf'] = (head + "\\pard " + gbk_escape('图')
    + "{\\pict\\wmetafile8\\picw2646\\pich1764\\picwgoal1500\\pichgoal1000 0100090000036e0100000000}"
    "{\\pict\\dibitmap0\\picw4\\pich4 28000000040000000400000001001800}{\\pict\\jpegblip\\picwgoal300\\pichgoal300 ffd8ffe000104a464946}\\par}")
files['formats.rtf'] = (head + "\\pard\\f0\\fs24 {\\b " + gbk_escape('粗体') + "}{\\i italic}{\\ul " + gbk_escape('下划线')
    + "\\ulnone  no}{\\uldb double}{\\strike del}H{\\sub 2}O x{\\super 2}{\\cf1 " + gbk_escape('红色') + "}{\\cf2\\highlight1 blue}{\\cb2 back}{\\fs36 "
    + gbk_escape('大字') + "}{\\f1 Arial \\'e9t\\'e9}{\\f2 " + gbk_escape('黑体字') + "}{\\b\\i\\plain plain}{\\v hidden}\\par}")
files['paragraphs.rtf'] = (head + "\\pard\\qc\\sb120\\sa120 " + gbk_escape('标题居中') + "\\par\\pard\\qj\\fi420\\li0\\sl360\\slmult1 "
    + gbk_escape('首行缩进两字，一点五倍行距的正文段落。') + "\\line " + gbk_escape('换行')
    + "\\tab tab\\par\\pard\\qr\\ri200 right\\par\\pard\\li720\\sl-400 exact\\page " + gbk_escape('第二页')
    + "\\par\\sect\\pard new section\\emdash\\endash\\bullet\\lquote q\\rquote\\ldblquote dq\\rdblquote\\~x\\_y\\-z\\par}")
files['destinations.rtf'] = (head + "{\\stylesheet{\\s0 Normal;}{\\*\\cs10 Default Paragraph Font;}}{\\*\\generator Msftedit 5.41.21.2510;}"
    "{\\info{\\author x}{\\*\\company y}}{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}}}"
    "{\\header\\pard head\\par}{\\footer\\pard foot\\par}\\pard "
    "{\\field{\\*\\fldinst {HYPERLINK \"http://example.com/\"}}{\\fldrslt {\\ul\\cf2 link}}} "
    "{\\*\\bkmkstart b1}mark{\\*\\bkmkend b1}{\\footnote\\pard note\\par}"
    "{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}item\\par"
    "{\\upr{\\keywords ansi}{\\*\\ud{\\keywords unicode}}}{\\*\\themedata 504b030414}"
    "{\\object\\objemb{\\*\\objclass Equation.3}{\\*\\objdata 0105}{\\result {\\pict\\wmetafile8 0100}}}\\par}")
files['wordpad.rtf'] = ("{\\rtf1\\ansi\\ansicpg936\\deff0\\nouicompat\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fcharset134 "
    + gbk_escape('宋体') + ";}{\\f1\\fnil\\fcharset0 Calibri;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang2052 " + gbk_escape('单选题：') + "\\f1\\lang1033 Windows\\f0\\lang2052 "
    + gbk_escape('系统。') + "\\par\r\n}\r\n\x00")
files['malformed.rtf'] = (head + "\\pard{\\b " + gbk_escape('未闭合') + "{\\i {{{ \\'c4\\'\\'zz\\u\\u-\\uc99999999999\\u99999999999 "
    "\\fs-5\\cf999\\cellx-1\\cell\\row}}}\\bin-3 x\\'")
files['nested_table.rtf'] = (head + "\\pard\\intbl\\itap1 outer\\cell\\pard\\intbl\\itap2 inner\\nestcell"
    "{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}{\\nonesttables\\par}\\cell\\trowd\\cellx1000\\cellx2000\\row\\pard after\\par}")
files['mac_codepage.rtf'] = ("{\\rtf1\\mac\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fnil\\fcharset128 MS Mincho;}"
    "{\\f2\\fnil\\fcharset136 MingLiU;}}\\f0 caf\\'8e {\\f1 \\'82\\'a0} {\\f2 \\'a4\\'a4}\\par}")
# Text pasted from an office suite: associated properties of Chinese text, raised and lowered digits,
# tab stops, footnotes, cells ending in a paragraph mark; a converter's optional footnotes; half pairs.
files['office_paste.rtf'] = (head + "\\pard\\tx720\\tqr\\tx4320\\tqc\\tldot\\tx2000\\tqdec\\tx3000 "
    "{\\rtlch\\af1\\afs24\\ab\\ltrch\\loch\\f1\\hich\\af1\\dbch\\af0\\ab\\afs32\\ai " + gbk_escape('单选题')
    + " A}{\\b\\fs20\\dbch\\ab0\\afs28 " + gbk_escape('税率') + " x}\\tab H{\\dn4 2}O x{\\up6 2}{\\up0 n}"
    "{\\cs15\\super\\chftn}{\\footnote\\pard\\plain{\\cs15\\super\\chftn} " + gbk_escape('脚注内容')
    + "{\\footnote nested}\\par " + gbk_escape('第二段') + "}\\par\r\n"
    "\\trowd\\cellx2000\\cellx4000\\pard\\intbl\\qc " + gbk_escape('项目') + "\\par\\cell "
    + gbk_escape('金额') + "{\\footnote\\pard " + gbk_escape('单元格中的脚注') + "}\\par\\par\\cell\\row\r\n"
    "\\pard\\plain " + gbk_escape('完') + "\\par}")
files['converter_footnotes.rtf'] = ("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times;}}\\pard\\plain a"
    "{\\super\\chftn}{\\*\\footnote\\chftn\\~\\plain\\pard x\\par y}b{\\super\\chftn}"
    "{\\*\\footnote\\chftn\\~\\plain\\pard\\intbl z\\cell\\row}\\par{\\footnote open")
files['half_surrogates.rtf'] = (head + "\\pard \\u-10179?x\\u-8704?\\u-10179?\\u-10179?\\u-8704?"
    "{\\b\\u-10179?}\\u-8704?{\\fonttbl{\\f9\\fnil A\\u-10179?;}}\\f9 y\\u-10179?\\par}")
for name, text in files.items():
    open(name, 'wb').write(text.encode('latin1'))
pngbytes = png(3, 3, (10, 200, 10))
open('binary_picture.rtf', 'wb').write((head + "\\pard x{\\pict\\pngblip\\picwgoal45\\pichgoal45\\bin%d " % len(pngbytes)).encode('latin1')
                                       + pngbytes + b"}y\\par}")
open('plain_gbk.txt', 'wb').write('不是富文本的题干，GBK 编码。\r\n第二行'.encode('gbk'))
open('plain_utf8.txt', 'wb').write('不是富文本的题干，UTF-8 编码。\n第二行'.encode('utf-8'))
