#!/usr/bin/env node
// Derives data/place_names.txt, the city and county list of the vocabulary page, from the
// GB/T 2260 division codes (revision 2009-12) carried by the npm package "gb2260".
//
//   cd tools/places && npm ci && npm run generate
//
// The build never runs this; its output is committed. Re-running it rewrites the same file.
//
// The list has 34 blocks, one per provincial-level division, in the order below. A block is the
// division's full name followed by its places in code order:
//  - the four municipalities (北京市, 天津市, 上海市, 重庆市): their districts and counties;
//  - the provinces and autonomous regions: each prefecture-level city followed by the
//    county-level cities, counties, autonomous counties and banners under it (and the
//    county-level units governed by the province directly, after the last city).
// Left out, so that every line is a town or county a keyword can be built on:
//  1. placeholder rows of the code table ("市辖区", "县", "省直辖县级行政区划",
//     "自治区直辖县级行政区划");
//  2. districts of prefecture-level cities (every county-level name ending in "区" outside the
//     four municipalities): the city's own name stands for them;
//  3. prefecture-level rows that are regions rather than cities ("...地区", "...盟",
//     "...自治州"); the counties under them stay;
//  4. the three island offices of Hainan (西沙群岛, 南沙群岛, 中沙群岛的岛礁及其海域);
//  5. a name already listed earlier (the first one stays).
// Hong Kong and Macao come from the package's own tables at the same depth as the provinces:
// the region's name and its second-level units (their districts and parishes are left out by
// rule 2). Taiwan, which the code table carries as one row only, is written out below: the two
// largest cities, then two counties each followed by its county seat.
// The result must hold exactly 2393 names; the script checks that, the first and last names,
// and that there are no blanks and no repeats, and fails otherwise.
'use strict';

const fs = require('fs');
const path = require('path');

const LIB = path.join(__dirname, 'places', 'node_modules', 'gb2260', 'lib');
const OUT = path.join(__dirname, '..', 'data', 'place_names.txt');
const EXPECTED_COUNT = 2393;

const BLOCK_ORDER = [
  '北京市', '天津市', '河北省', '山西省', '内蒙古自治区', '辽宁省', '吉林省', '黑龙江省', '上海市',
  '江苏省', '浙江省', '安徽省', '福建省', '江西省', '山东省', '河南省', '湖北省', '湖南省', '广东省',
  '广西壮族自治区', '海南省', '重庆市', '四川省', '贵州省', '云南省', '西藏自治区', '陕西省', '甘肃省',
  '青海省', '宁夏回族自治区', '新疆维吾尔自治区', '香港特别行政区', '澳门特别行政区', '台湾省',
];
const MUNICIPALITIES = new Set(['11', '12', '31', '50']);
const PLACEHOLDERS = new Set(['市辖区', '县', '省直辖县级行政区划', '自治区直辖县级行政区划']);
const ISLAND_OFFICES = new Set(['西沙群岛', '南沙群岛', '中沙群岛的岛礁及其海域']);
const TAIWAN = ['台北市', '高雄市', '花莲县', '花莲市', '澎湖县', '马公市'];

function load(file) {
  return JSON.parse(fs.readFileSync(path.join(LIB, file), 'utf8'));
}

function isRegionRow(name) {
  return /(地区|盟|自治州)$/.test(name);
}

// Places of one division, in code order, after rules 1 to 4.
function placesOf(table, provinceCode) {
  const prefix = provinceCode.slice(0, 2);
  const municipality = MUNICIPALITIES.has(prefix);
  const names = [];
  for (const code of Object.keys(table).sort()) {
    if (!code.startsWith(prefix) || code === provinceCode) continue;
    const name = table[code];
    const prefectureLevel = code.endsWith('00');
    if (PLACEHOLDERS.has(name) || ISLAND_OFFICES.has(name)) continue;
    if (prefectureLevel && isRegionRow(name)) continue;
    if (!prefectureLevel && !municipality && name.endsWith('区')) continue;
    names.push(name);
  }
  return names;
}

function blockCodes(table) {
  const byName = new Map();
  for (const code of Object.keys(table)) {
    if (code.endsWith('0000')) byName.set(table[code], code);
  }
  return byName;
}

function main() {
  const mainland = load('200912.json');
  const hongKong = load('hongkong-201512.json');
  const macao = load('macao-201512.json');
  const provinces = blockCodes(mainland);

  const list = [];
  const seen = new Set();
  const add = (name) => {
    if (!name || seen.has(name)) return;  // rule 5: the first one stays
    seen.add(name);
    list.push(name);
  };

  for (const block of BLOCK_ORDER) {
    add(block);
    if (block === '香港特别行政区') {
      placesOf(hongKong, '810000').forEach(add);
    } else if (block === '澳门特别行政区') {
      placesOf(macao, '820000').forEach(add);
    } else if (block === '台湾省') {
      TAIWAN.forEach(add);
    } else {
      const code = provinces.get(block);
      if (!code) throw new Error(`division not in the code table: ${block}`);
      placesOf(mainland, code).forEach(add);
    }
  }

  const start = ['北京市', '东城区', '西城区', '崇文区', '宣武区', '朝阳区'];
  const end = ['花莲县', '花莲市', '澎湖县', '马公市'];
  const problems = [];
  if (list.length !== EXPECTED_COUNT) problems.push(`${list.length} names instead of ${EXPECTED_COUNT}`);
  if (list.slice(0, start.length).join() !== start.join()) problems.push(`starts ${list.slice(0, 6).join(',')}`);
  if (list.slice(-end.length).join() !== end.join()) problems.push(`ends ${list.slice(-4).join(',')}`);
  if (list.some((n) => !n.trim() || n !== n.trim())) problems.push('blank or padded name');
  if (new Set(list).size !== list.length) problems.push('repeated name');
  if (problems.length) {
    console.error(`place list rejected: ${problems.join('; ')}`);
    process.exit(1);
  }

  fs.writeFileSync(OUT, list.join('\n') + '\n', 'utf8');
  console.log(`wrote ${list.length} names to ${path.relative(process.cwd(), OUT)}`);
}

main();
