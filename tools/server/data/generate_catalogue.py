#!/usr/bin/env python3
"""Writes the demo catalogue of lark-bay-server into catalogue/.

Deterministic: the same script always writes the same files, so the committed
files can be checked by running it again and looking at `git diff`.
    tools/server/data/generate_catalogue.py
"""
import json
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "catalogue")

SONG_SITES = [  # key: shown in the site box; value: the code the search sends
    {"key": "小雨音乐", "value": "xy", "mv": True},
    {"key": "云雀音乐", "value": "yq", "mv": True},
    {"key": "星河音乐", "value": "xh", "mv": False},  # no video catalogue: no SongMV member
]
DJ_SITES = [
    {"key": "DJ娱乐网", "value": "djyl"},
    {"key": "舞曲天堂", "value": "wqtt"},
    {"key": "电音部落", "value": "dybl"},
    {"key": "夜店串烧", "value": "ydcs"},
]
DJ_TYPES = [
    {"key": "歌名搜索", "value": "SongName"},
    {"key": "编号搜索", "value": "SongID"},
    {"key": "作者搜索", "value": "SongUserName"},
]

TITLES = [
    "晴天之后", "夜空中的星", "江南雨", "月光码头", "风吹麦浪", "青花瓷影", "远方的信", "城南旧事",
    "海上花开", "梦回长安", "春日来信", "雪落无声", "小城故事多", "秋天的童话", "星河入梦", "雨巷",
    "さくらの歌", "夏の終わり", "東京ナイト", "星に願いを", "雨上がりの街", "ひまわり",
    "봄날의 기억", "별빛 아래서", "서울의 밤", "너에게 가는 길",
    "Café de Flore", "Canción del Mar", "Über den Wolken", "Mañana", "Noël à Paris",
    "São Paulo Sunrise", "Fjäril", "Crème Brûlée", "Midnight 🌙 Drive", "🎵 Happy Song",
    "Love in Rain", "Blue River", "Paper Moon", "Slow Dance",
]
VERSIONS = ["", " (Live)", " (伴奏)", " (Remix)", " (钢琴版)", " (Acoustic)", " (DJ版)", " (纯音乐)"]
ARTISTS = [
    "林小雨", "陈星河", "周晚晴", "王乐天", "李青", "赵一鸣", "孙悦然", "吴南风",
    "佐藤みずき", "高橋ゆう", "한별", "윤소라", "Zoë Laurent", "José Álvarez", "Björn Ek",
    "The Lanterns", "Mira & Noé", "小雨乐队",
]
ALBUMS = [
    "城市日记", "夏夜晚风", "旧时光", "星空下", "Hello World", "Voyage", "さよなら", "두 번째 이야기",
    "Été Indien", "单曲", "",
]
AUDIO_CLIPS = ["c1", "c2", "c3", "c4", "c5", "c6"]
MV_CLIPS = ["mv1", "mv2"]
DJ_CLIPS = ["dj1", "dj2", "dj3"]
DJ_WORDS = [
    "中文舞曲", "慢摇串烧", "电音", "车载", "夜店", "抖音热歌", "Club Mix", "Electro House",
    "Progressive", "Trance", "ディスコ", "클럽", "Fiesta Latina", "Été 🔥", "劲爆", "重低音",
]
DJ_USERS = ["DJ阿飞", "DJ小鱼", "DJ Remy", "DJ Kenji", "DJ 민수", "DJ Álvaro", "DJ 夜猫", "MC 老王"]


def song_rows(rng):
    rows = []
    for i in range(320):
        title = TITLES[i % len(TITLES)] + VERSIONS[(i // len(TITLES)) % len(VERSIONS)]
        artist = ARTISTS[(i * 7 + i // 5) % len(ARTISTS)]
        album = ALBUMS[(i * 3) % len(ALBUMS)]
        seconds = 150 + rng.randrange(180)
        qualities = ["ST"]
        if i % 7 != 3:
            qualities.append("HD")
        if i % 5 != 2:
            qualities.append("HQ")
        if i % 3 == 0:
            qualities.append("SQ")
        if i % 53 == 17:  # a song that offers nothing but its page: no playable address
            qualities = []
        clip = "tiny" if i % 41 == 5 else AUDIO_CLIPS[i % len(AUDIO_CLIPS)]
        if TITLES[i % len(TITLES)] == "Slow Dance":
            # The long clip in every quality: downloads that last long enough
            # to pause, resume and delete in the demo.
            clip, qualities, seconds = "long", ["ST", "HD", "HQ", "SQ"], 300
        mv = MV_CLIPS[(i // 6) % len(MV_CLIPS)] if i % 6 == 0 else ""
        if i % 10 == 9:
            sites = ["xy"]
        elif i % 10 == 8:
            sites = ["yq", "xh"]
        else:
            sites = ["xy", "yq", "xh"]
        rows.append({
            "SongID": str(100001 + i * 13),
            "sites": ",".join(sites),
            "SongName": title,
            "SongArtists": artist,
            "SongAlbum": album,
            "SongTime": "%02d:%02d" % (seconds // 60, seconds % 60),
            "clip": clip,
            "qualities": ",".join(qualities),
            "mv": mv,
            "media_mid": "%014X" % rng.getrandbits(56),
        })
    return rows


def dj_rows(rng):
    rows = []
    for s, site in enumerate(DJ_SITES):
        count = 70 - s * 10
        for n in range(count):
            words = DJ_WORDS[(n + s) % len(DJ_WORDS)]
            user = DJ_USERS[(n * 3 + s) % len(DJ_USERS)]
            minutes = 40 + rng.randrange(40)
            size_mb = minutes * 60 * 320 / 8 / 1024
            day = 1 + (n * 5 + s) % 28
            month = 1 + (n * 7 + s * 3) % 12
            clip = "tiny" if n % 29 == 11 else DJ_CLIPS[(n + s) % len(DJ_CLIPS)]
            hq = "0" if n % 4 == 1 else "1"
            st = "0" if n % 31 == 30 else "1"
            rows.append({
                "site": site["value"],
                "SongID": str(n + 1 if n < 50 else 1000 + n * 7),
                "SongName": "%s %s 第%d期" % (words, user, n + 1),
                "SongUserName": user,
                "SongTime": "%02d:%02d" % (minutes, rng.randrange(60)),
                "SongFileSize": "%.1fMB" % size_mb,
                "SongClassID": str(1 + (n % 5)),
                "SongAddDate": "20%02d-%02d-%02d %02d:%02d:00" % (18 + n % 3, month, day,
                                                                   rng.randrange(24), rng.randrange(60)),
                "clip": clip,
                "hq": hq,
                "st": st,
            })
    return rows


def write_tsv(path, rows):
    names = list(rows[0].keys())
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\t".join(names) + "\n")
        for row in rows:
            f.write("\t".join(row[k] for k in names) + "\n")


def main():
    rng = random.Random(20200819)
    songs = song_rows(rng)
    djs = dj_rows(rng)
    os.makedirs(OUT, exist_ok=True)
    write_tsv(os.path.join(OUT, "songs.tsv"), songs)
    write_tsv(os.path.join(OUT, "dj_mixes.tsv"), djs)
    picks = [0, 16, 22, 26, 29, 34, 35, 40, 57, 83, 101, 150]
    settings = {
        "Song_Search_Web": [{"key": s["key"], "value": s["value"]} for s in SONG_SITES],
        "song_sites_with_mv": [s["value"] for s in SONG_SITES if s["mv"]],
        "DJ_Search_Web": DJ_SITES,
        "DJ_Search_Type": DJ_TYPES,
        "page_size": 20,
        "recommended": [songs[i]["SongID"] for i in picks],
        "main_version": "1600584000",
    }
    with open(os.path.join(OUT, "catalogue.json"), "w", encoding="utf-8", newline="\n") as f:
        json.dump(settings, f, ensure_ascii=False, indent=2)
        f.write("\n")


if __name__ == "__main__":
    main()
