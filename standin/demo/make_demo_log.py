#!/usr/bin/env python3
"""Writes demo_log.txt, the demo log of the stand-in log library.

Deterministic: the same run always writes the same file. Usage, from this
folder: python3 make_demo_log.py > demo_log.txt

The log mixes city, ward, county and town/village codes (a good share for
each of the JCC, JCG and town/village extractions), Tokyo ward codes before
and after April 2010, and records without a code, which every filter rejects.
"""
import random

PREFECTURES = [
    "北海道", "青森県", "岩手県", "秋田県", "山形県", "宮城県", "福島県", "新潟県",
    "長野県", "東京都", "神奈川県", "千葉県", "埼玉県", "茨城県", "栃木県", "群馬県",
    "山梨県", "静岡県", "岐阜県", "愛知県", "三重県", "京都府", "滋賀県", "奈良県",
    "大阪府", "和歌山県", "兵庫県", "富山県", "福井県", "石川県", "岡山県", "島根県",
    "山口県", "鳥取県", "広島県", "香川県", "徳島県", "愛媛県", "高知県", "福岡県",
    "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県",
]

TOKYO_WARDS = [
    "千代田区", "中央区", "港区", "新宿区", "文京区", "台東区", "墨田区", "江東区",
    "品川区", "目黒区", "大田区", "世田谷区", "渋谷区", "中野区", "杉並区", "豊島区",
    "北区", "荒川区", "板橋区", "練馬区", "足立区", "葛飾区", "江戸川区",
]

# Codes with the place they name.
NAMED_CODES = [
    ("0101", "札幌市"), ("0102", "旭川市"), ("0601", "仙台市"), ("1002", "八王子市"),
    ("1101", "横浜市"), ("1344", "さいたま市"), ("1807", "富士宮市"), ("2001", "名古屋市"),
    ("2501", "大阪市"), ("010101", "札幌市中央区"), ("110117", "横浜市青葉区"),
    ("200101", "名古屋市千種区"), ("01002", "北海道足寄郡"), ("02003", "青森県三戸郡"),
    ("10004", "東京都大島"), ("10007", "東京都小笠原村"), ("11003", "神奈川県足柄下郡"),
    ("12004", "千葉県印旛郡"), ("28004", "富山県中新川郡"), ("28004A", "富山県舟橋村"),
    ("28004B", "富山県上市町"), ("11003B", "神奈川県湯河原町"),
]

PREFIXES = ["JA", "JE", "JF", "JG", "JH", "JI", "JJ", "JK", "JL", "JM", "JN", "JO",
            "JP", "JQ", "JR", "JS", "7K", "7L", "7M", "7N", "8J"]
PORTABLES = ["1", "2", "3", "4", "0", "9", "M", "MM", "QRP", "P"]
BANDS = [
    (["1.910", "1.908"], ["CW"]), (["3.535", "3.573"], ["CW", "FT8"]),
    (["7.012", "7.074", "7.140"], ["CW", "FT8", "SSB"]), (["10.136"], ["FT8", "CW"]),
    (["14.074", "14.025", "14.250"], ["FT8", "CW", "SSB"]), (["18.100"], ["FT8", "CW"]),
    (["21.074", "21.250"], ["FT8", "SSB"]), (["28.074", "29.300"], ["FT8", "FM"]),
    (["50.313", "50.250"], ["FT8", "SSB"]), (["144.10", "145.00"], ["CW", "FM"]),
    (["430.10", "433.00"], ["CW", "FM"]), (["1295.0"], ["FM"]),
]
NAMES = ["山田", "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "中村", "小林", "加藤",
         "吉田", "山本", "松本", "井上", "木村", "Taro", "Hiro", "Ken", "Yoshi", "ｶｽﾞ"]
QSL = ["", "J", "JS", "JSR", "JSR", "JSR", "E", "ER", "N", "DSR"]
POWER = ["5", "10", "20", "50", "50", "100", "100", "200", "500"]
REMARKS = ["", "", "", "", "FB QSO", "QSL via bureau", "初交信", "移動運用 山頂から",
           "ありがとうございました", "QRM/QRN あり", "Es propagation", "ALL JAコンテスト",
           "Tnx 1st QSO", "リグ: IC-7300 / ANT: DP"]
MEMOS = ["", "", "", "", "", "", "eQSL済", "再送依頼", "JCC申請済", "町村めぐり"]


def callsign(rng):
    letters = "".join(rng.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(rng.choice([2, 3, 3])))
    return rng.choice(PREFIXES) + str(rng.randrange(10)) + letters


def reference(rng, kind):
    """A code of the kind and the QTH it names."""
    prefecture = rng.randrange(1, 48)
    place = PREFECTURES[prefecture - 1]
    if kind == "named":
        return rng.choice(NAMED_CODES)
    if kind == "tokyo_ward":
        ward = rng.randrange(1, 24)
        return "1001%02d" % ward, "東京都" + TOKYO_WARDS[ward - 1]
    if kind == "city":
        return "%02d%02d" % (prefecture, rng.randrange(1, 40)), place
    if kind == "ward":
        return "%02d%02d%02d" % (prefecture, rng.randrange(1, 20), rng.randrange(1, 12)), place
    if kind == "county":
        return "%02d%03d" % (prefecture, rng.randrange(1, 20)), place
    if kind == "town":
        return "%02d%03d%s" % (prefecture, rng.randrange(1, 20), rng.choice("ABCDEFGH")), place
    return "", rng.choice(["", "Honolulu", "Seoul", "Taipei"])


def report(rng, mode):
    if mode == "CW":
        return rng.choice(["599", "599", "579"]), rng.choice(["599", "599", "589"])
    if mode == "FT8":
        return "%+03d" % rng.randrange(-20, 5), "%+03d" % rng.randrange(-20, 5)
    return rng.choice(["59", "59", "57"]), rng.choice(["59", "59", "55"])


def main():
    rng = random.Random(20240503)
    kinds = (["named"] * 14 + ["tokyo_ward"] * 12 + ["city"] * 22 + ["ward"] * 10 +
             ["county"] * 16 + ["town"] * 16 + ["none"] * 10)
    stamps = sorted(
        (rng.randrange(5, 26), rng.randrange(1, 13), rng.randrange(1, 29), rng.randrange(24),
         rng.randrange(60)) for _ in range(320))
    print("# Demo log of the stand-in log library: one contact a line, TAB-separated.")
    print("# Build the databases: tarvek_dbtool build demo_log.txt OUTDIR")
    print("# Made by make_demo_log.py; the callsigns are made up.")
    print("\t".join(["call", "portable", "stamp", "code", "freq", "mode", "rst_sent", "rst_rcvd",
                     "name", "qth", "qsl", "power", "remarks", "memo"]))
    for yy, mm, dd, hh, mi in stamps:
        code, qth = reference(rng, rng.choice(kinds))
        portable = rng.choice(PORTABLES) if rng.random() < 0.3 else ""
        if code == "10007":
            portable = "JD1"
        frequencies, modes = rng.choice(BANDS)
        mode = rng.choice(modes)
        sent, received = report(rng, mode)
        zone = "U" if rng.random() < 0.1 else "J"
        stamp = "%02d/%02d/%02d %02d:%02d%s" % (yy, mm, dd, hh, mi, zone)
        print("\t".join([callsign(rng), portable, stamp, code, rng.choice(frequencies), mode, sent,
                         received, rng.choice(NAMES), qth, rng.choice(QSL), rng.choice(POWER),
                         rng.choice(REMARKS), rng.choice(MEMOS)]))


if __name__ == "__main__":
    main()
