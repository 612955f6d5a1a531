// The help page's analyser: scores a board exactly as the game does and
// draws where the points went. The scoring half has no page in it, so the
// tests load this very file under Node and hold it against zorbel-score.
(function () {
  'use strict';

  // Weight m of each step size k: a fair die gives (N - 1) / 50 * m steps of k.
  const MULTIPLIER = [5, 9, 8, 7, 6, 5, 4, 3, 2, 1];
  const MAX_DIGITS = 100;
  const BLANKS = ' \t\r\n\u3000';
  const WIDE_DIGITS = '０１２３４５６７８９';

  // Reads a board typed by hand: blanks are skipped, full-width digits count
  // as digits, anything else is an error naming the character and where it is.
  function parseBoard(text) {
    const digits = [];
    let position = 0;
    for (const ch of text) {
      position += 1;
      if (BLANKS.includes(ch))
        continue;
      let d = ch >= '0' && ch <= '9' ? ch.charCodeAt(0) - 48 : WIDE_DIGITS.indexOf(ch);
      if (d < 0) {
        const shown = ch.trim() === '' ? 'U+' + ch.codePointAt(0).toString(16).toUpperCase().padStart(4, '0') : ch;
        return { digits: [], error: position + ' 文字目の「' + shown + '」は数字ではありません。0～9 の数字だけを入れてください。' };
      }
      digits.push(d);
    }
    if (digits.length === 0)
      return { digits, error: '0～9 の数字を 1～100 個入れてください。' };
    if (digits.length > MAX_DIGITS)
      return { digits: [], error: '数字が ' + digits.length + ' 個あります。100 個までにしてください。' };
    return { digits, error: '' };
  }

  // A number of the details text: one blank, then the shortest digits that
  // give the same double back, as the game writes it.
  function detailNumber(value) {
    return ' ' + String(value);
  }

  // The score as the game writes a double: at most 15 significant digits,
  // so 100.4 - 87 shows as 13.4 and a whole score has no point.
  function scoreText(value) {
    return String(Number(value.toPrecision(15)));
  }

  // The game's scoring, step for step, in the same double arithmetic and the
  // same order of operations, so that every floor lands where the game's does
  // (with 14 digits summing to 77, 14 / 0.56 is just under 25 in doubles).
  function scoreBoard(digits) {
    const n = digits.length;
    const raw = n / 2.5 + 100;
    let score = raw;

    const counts = new Array(10).fill(0);
    let sum = 0;
    for (const d of digits) {
      counts[d] += 1;
      sum += d;
    }
    const expectedCount = n / 10;
    const countDeductions = counts.map(function (c) {
      return Math.floor(Math.abs(c - n / 10));
    });
    for (const a of countDeductions)
      score -= a;

    const expectedSum = n * 4.5;
    const perPoint = n / 25;
    const averageDeduction = Math.floor(Math.abs(sum - expectedSum) / perPoint);
    score -= averageDeduction;

    const steps = new Array(10).fill(0);
    for (let j = 0; j + 1 < n; ++j)
      steps[Math.abs(digits[j + 1] - digits[j])] += 1;
    const expectedSteps = MULTIPLIER.map(function (m) {
      return (n - 1) / 50 * m;
    });
    const stepDeductions = steps.map(function (e, k) {
      return Math.floor(Math.abs(e - expectedSteps[k]));
    });
    for (const d of stepDeductions)
      score -= d;

    const unclamped = score;
    if (score > 100)
      score = 100;
    if (score < 0)
      score = 0;

    const details = [
      '*素点' + detailNumber(raw),
      '各数字の出現回数減点 = ' + countDeductions.map(detailNumber).join(''),
      '平均差減点=' + detailNumber(averageDeduction),
      '差 0～9 の出現回数減点 = ' + stepDeductions.map(detailNumber).join(''),
    ].join('\n');

    return {
      n, raw, score, scoreText: scoreText(score), unclamped, details,
      counts, expectedCount, countDeductions,
      sum, average: sum / n, averageDeduction, perPoint: 1 / 25,
      steps, expectedSteps, stepDeductions,
    };
  }

  // ---- The indices of random-generation research (as zorbel-score --indices). ----

  function fLogF(f) {
    return f > 1 ? f * Math.log(f) : 0;
  }

  // The machine that guesses each symbol from the 3, 2 or 1 before it; a
  // context's guess is its most frequent follower, the latest on a tie.
  function predictor(x, k) {
    const tables = [new Map(), new Map(), new Map(), new Map()]; // by context length
    const bump = function (table, key, f) {
      let entry = table.get(key);
      if (!entry)
        table.set(key, entry = { counts: new Array(k).fill(0), best: -1, bestCount: 0 });
      if (++entry.counts[f] >= entry.bestCount) {
        entry.best = f;
        entry.bestCount = entry.counts[f];
      }
    };
    const hitAt = new Array(x.length).fill(false);
    let hits = 0;
    for (let t = 0; t < x.length; ++t) {
      if (t > 0) {
        let guess = -1;
        for (let len = 3; len >= 0 && guess < 0; --len) {
          if (t < len)
            continue;
          const entry = tables[len].get(x.slice(t - len, t).join(','));
          if (entry)
            guess = entry.best;
        }
        hitAt[t] = guess === x[t];
        hits += hitAt[t] ? 1 : 0;
      }
      for (let len = 0; len <= 3 && len <= t; ++len)
        bump(tables[len], x.slice(t - len, t).join(','), x[t]);
    }
    return { hits, hitAt };
  }

  // P(X >= h) for X ~ Binomial(m, p), summed from the far end of the smaller tail.
  function binomialTail(h, m, p) {
    if (h <= 0)
      return 1;
    const logTerm = function (j) {
      let c = 0;
      for (let i = 1; i <= j; ++i)
        c += Math.log((m - j + i) / i);
      return c + j * Math.log(p) + (m - j) * Math.log(1 - p);
    };
    let sum = 0;
    if (h > m * p) {
      for (let j = h; j <= m; ++j)
        sum += Math.exp(logTerm(j));
      return Math.min(1, sum);
    }
    for (let j = 0; j < h; ++j)
      sum += Math.exp(logTerm(j));
    return 1 - sum;
  }

  function computeIndices(x, k) {
    const n = x.length;
    const counts = new Array(k).fill(0);
    const pairs = new Array(k * k).fill(0), lag2 = new Array(k * k).fill(0);
    for (let i = 0; i < n; ++i) {
      counts[x[i]] += 1;
      pairs[x[i] * k + x[(i + 1) % n]] += 1; // the last pair wraps round to the first
      if (i + 2 < n)
        lag2[x[i] * k + x[i + 2]] += 1;
    }
    const sumCounts = counts.reduce(function (a, c) { return a + fLogF(c); }, 0);
    const sumPairs = pairs.reduce(function (a, c) { return a + fLogF(c); }, 0);
    const sumLag2 = lag2.reduce(function (a, c) { return a + fLogF(c); }, 0);
    const r = { n };
    r.redundancy = 100 * (1 - (Math.log(n) - sumCounts / n) / Math.log(k));
    r.rng = sumCounts > 0 ? sumPairs / sumCounts : null;
    r.rng2 = sumCounts > 0 ? sumLag2 / sumCounts : null;
    r.nsq = 100 * pairs.filter(function (c) { return c === 0; }).length / (k * k - 1);

    let up = 0, down = 0, turns = 0, lastDir = 0;
    const upRuns = [], downRuns = [];
    let upLen = 1, downLen = 1;
    r.repetitions = 0;
    for (let i = 1; i < n; ++i) {
      const step = x[i] - x[i - 1];
      r.repetitions += step === 0 ? 1 : 0;
      up += step === 1 ? 1 : 0;
      down += step === -1 ? 1 : 0;
      if (step !== 0) {
        const dir = Math.sign(step);
        turns += lastDir !== 0 && dir !== lastDir ? 1 : 0; // a plateau between counts once
        lastDir = dir;
      }
      if (step > 0) upLen += 1; else { upRuns.push(upLen); upLen = 1; }
      if (step < 0) downLen += 1; else { downRuns.push(downLen); downLen = 1; }
    }
    upRuns.push(upLen);
    downRuns.push(downLen);
    const variance = function (list) {
      const mean = n / list.length;
      return list.reduce(function (a, v) { return a + (v - mean) * (v - mean); }, 0) / list.length;
    };
    r.adjacency_up = 100 * up / (n - 1);
    r.adjacency_down = 100 * down / (n - 1);
    r.adjacency = 100 * (up + down) / (n - 1);
    r.tpi = n >= 3 ? 100 * turns / (2 * (n - 2) / 3) : null;
    r.runs_up = variance(upRuns);
    r.runs_down = variance(downRuns);

    let seen = new Set(), segments = 0, covered = 0;
    const last = new Array(k).fill(-1), gaps = [];
    for (let i = 0; i < n; ++i) {
      seen.add(x[i]);
      if (seen.size === k) {
        segments += 1;
        covered = i + 1;
        seen = new Set();
      }
      if (last[x[i]] >= 0)
        gaps.push(i - last[x[i]]);
      last[x[i]] = i;
    }
    r.coupon = counts.every(function (c) { return c > 0; }) ? covered / segments : null;
    r.gap_median = r.gap_mean = r.gap_mode = null;
    if (gaps.length > 0) {
      gaps.sort(function (a, b) { return a - b; });
      const g = gaps.length;
      r.gap_median = (gaps[(g - 1) >> 1] + gaps[g >> 1]) / 2;
      r.gap_mean = gaps.reduce(function (a, v) { return a + v; }, 0) / g;
      let best = 0;
      for (let i = 0, j = 0; i < g; i = j) {
        while (j < g && gaps[j] === gaps[i])
          ++j;
        if (j - i > best) {
          best = j - i;
          r.gap_mode = gaps[i];
        }
      }
    }
    r.chi2 = counts.reduce(function (a, c) { return a + (c - n / k) * (c - n / k); }, 0) / (n / k);
    const guess = predictor(x, k);
    r.predictor_hits = guess.hits;
    r.predictor_p = binomialTail(guess.hits, n - 1, 1 / k);
    r.hitAt = guess.hitAt;
    return r;
  }

  if (typeof module !== 'undefined' && module.exports) {
    module.exports = { parseBoard, scoreBoard, computeIndices, MULTIPLIER };
    return;
  }
  if (typeof document === 'undefined')
    return;

  // ---- The page: field, score, details and three charts. ----

  const SVG = 'http://www.w3.org/2000/svg';
  const W = 360;

  function $(id) {
    return document.getElementById(id);
  }

  function el(name, attrs, text) {
    const node = document.createElementNS(SVG, name);
    for (const key in attrs)
      node.setAttribute(key, attrs[key]);
    if (text !== undefined)
      node.textContent = text;
    return node;
  }

  function total(list) {
    return list.reduce(function (a, b) {
      return a + b;
    }, 0);
  }

  // Short decimal for the eye: at most three places, no trailing zeros.
  function short(value) {
    return String(Number(value.toFixed(3)));
  }

  function cost(points) {
    return points > 0 ? '−' + points : '0';
  }

  function niceStep(max) {
    for (const step of [1, 2, 5, 10, 20])
      if (max / step <= 5)
        return step;
    return 25;
  }

  // Bars against their expected values, each with the band of counts that
  // costs nothing (within one of the expected value) and its deduction above.
  function barChart(svg, values, expected, deductions, axisName) {
    const left = 30, right = 6, top = 24, bottom = 40, h = 200;
    const plotH = h - top - bottom;
    const max = Math.max(1, Math.ceil(Math.max.apply(null, values.concat(expected.map(function (e) {
      return e + 1;
    })))));
    const y = function (v) {
      return top + plotH - (v / max) * plotH;
    };
    const slot = (W - left - right) / 10;
    svg.setAttribute('viewBox', '0 0 ' + W + ' ' + h);
    const step = niceStep(max);
    for (let v = 0; v <= max; v += step) {
      svg.appendChild(el('line', { x1: left, x2: W - right, y1: y(v), y2: y(v), class: 'grid' }));
      svg.appendChild(el('text', { x: left - 4, y: y(v) + 4, class: 'tick', 'text-anchor': 'end' }, String(v)));
    }
    for (let k = 0; k < 10; ++k) {
      const x = left + k * slot;
      const lo = Math.max(0, expected[k] - 1), hi = expected[k] + 1;
      svg.appendChild(el('rect', { x: x + 1, width: slot - 2, y: y(hi), height: y(lo) - y(hi), class: 'free' }));
      const barClass = deductions[k] > 0 ? 'bar bar-cost' : 'bar';
      // A missing value that costs points still shows as a sliver on the axis.
      const barH = Math.max(y(0) - y(values[k]), deductions[k] > 0 ? 3 : 0);
      svg.appendChild(el('rect', {
        x: x + slot * 0.2, width: slot * 0.6, y: y(0) - barH, height: barH,
        class: barClass, 'data-value': values[k],
      }));
      svg.appendChild(el('line', { x1: x + 2, x2: x + slot - 2, y1: y(expected[k]), y2: y(expected[k]), class: 'expected' }));
      svg.appendChild(el('text', {
        x: x + slot / 2, y: 16, class: deductions[k] > 0 ? 'cost cost-on' : 'cost', 'text-anchor': 'middle',
      }, cost(deductions[k])));
      svg.appendChild(el('text', { x: x + slot / 2, y: h - bottom + 15, class: 'tick', 'text-anchor': 'middle' }, String(k)));
    }
    svg.appendChild(el('line', { x1: left, x2: W - right, y1: y(0), y2: y(0), class: 'axis' }));
    svg.appendChild(el('text', { x: (left + W - right) / 2, y: h - 6, class: 'label', 'text-anchor': 'middle' }, axisName));
  }

  // The average on a stretch of the number line around 4.5: the band that
  // costs nothing, one mark per point lost, and the average itself.
  function averageChart(svg, r) {
    const h = 116, left = 16, right = 16, axisY = 62;
    const off = Math.abs(r.average - 4.5);
    let half = 4.5;
    for (const candidate of [0.2, 0.5, 1, 2])
      if (off <= candidate * 0.92) {
        half = candidate;
        break;
      }
    const x = function (v) {
      return left + ((v - 4.5 + half) / (2 * half)) * (W - left - right);
    };
    svg.setAttribute('viewBox', '0 0 ' + W + ' ' + h);
    svg.appendChild(el('rect', { x: x(4.5 - r.perPoint), width: x(4.5 + r.perPoint) - x(4.5 - r.perPoint), y: axisY - 16, height: 32, class: 'free' }));
    svg.appendChild(el('line', { x1: left, x2: W - right, y1: axisY, y2: axisY, class: 'axis' }));
    if (half <= 0.5) {
      // One small mark for every 0.04: each one the average passes costs a point.
      for (let i = -Math.floor(half / r.perPoint); i <= Math.floor(half / r.perPoint); ++i)
        svg.appendChild(el('line', { x1: x(4.5 + i * r.perPoint), x2: x(4.5 + i * r.perPoint), y1: axisY - 3, y2: axisY + 3, class: 'grid' }));
    }
    const tickStep = half / 2;
    for (let v = 4.5 - half; v <= 4.5 + half + 1e-9; v += tickStep) {
      svg.appendChild(el('line', { x1: x(v), x2: x(v), y1: axisY - 6, y2: axisY + 6, class: 'axis' }));
      svg.appendChild(el('text', { x: x(v), y: axisY + 22, class: 'tick', 'text-anchor': 'middle' }, short(v)));
    }
    svg.appendChild(el('line', { x1: x(4.5), x2: x(4.5), y1: axisY - 20, y2: axisY + 8, class: 'expected' }));
    const ax = x(Math.min(Math.max(r.average, 4.5 - half), 4.5 + half));
    svg.appendChild(el('line', { x1: x(4.5), x2: ax, y1: axisY, y2: axisY, class: r.averageDeduction > 0 ? 'gap gap-cost' : 'gap' }));
    svg.appendChild(el('circle', { cx: ax, cy: axisY, r: 6, class: r.averageDeduction > 0 ? 'bar bar-cost' : 'bar', 'data-value': short(r.average) }));
    const anchor = ax < W * 0.3 ? 'start' : ax > W * 0.7 ? 'end' : 'middle';
    svg.appendChild(el('text', { x: ax, y: axisY - 24, class: r.averageDeduction > 0 ? 'cost cost-on' : 'cost', 'text-anchor': anchor },
      '平均 ' + short(r.average) + '　' + cost(r.averageDeduction)));
    svg.appendChild(el('text', { x: W / 2, y: h - 6, class: 'label', 'text-anchor': 'middle' }, '期待値 4.5、0.04 ずれるごとに 1 点'));
  }

  function fillTable(body, rows) {
    body.textContent = '';
    for (const row of rows) {
      const tr = document.createElement('tr');
      row.forEach(function (cell, i) {
        const td = document.createElement(i === 0 ? 'th' : 'td');
        if (i === 0)
          td.setAttribute('scope', 'row');
        td.textContent = String(cell);
        tr.appendChild(td);
      });
      body.appendChild(tr);
    }
  }

  function showChart(id, drawer) {
    const svg = $(id);
    svg.textContent = '';
    drawer(svg);
  }

  function show(r) {
    const sumA = total(r.countDeductions), sumD = total(r.stepDeductions);
    const score = $('analyser-score');
    score.textContent = r.scoreText;
    score.className = r.score >= 80 ? 'score' : 'score fail';
    $('analyser-verdict').textContent = r.score >= 80 ? '合格' : '不合格';
    let sum = '素点 ' + r.raw + ' − 出現回数 ' + sumA + ' − 平均 ' + r.averageDeduction + ' − 差 ' + sumD + ' ＝ ' + scoreText(r.unclamped);
    if (r.unclamped !== r.score)
      sum += ' → ' + r.scoreText;
    $('analyser-total').textContent = sum;
    $('analyser-count').textContent = r.n;
    $('analyser-details').textContent = r.details;

    showChart('chart-digits', function (svg) {
      barChart(svg, r.counts, new Array(10).fill(r.expectedCount), r.countDeductions, '数字');
    });
    $('chart-digits').setAttribute('aria-label', '数字ごとの出現回数。期待値は各 ' + short(r.expectedCount) + ' 回。' +
      r.counts.map(function (c, v) {
        return v + ' が ' + c + ' 回で減点 ' + r.countDeductions[v];
      }).join('、') + '。減点の合計 ' + sumA + ' 点。');
    fillTable($('table-digits'), r.counts.map(function (c, v) {
      return [v, c, short(r.expectedCount), r.countDeductions[v]];
    }).concat([['計', r.n, r.n, sumA]]));

    showChart('chart-average', function (svg) {
      averageChart(svg, r);
    });
    $('chart-average').setAttribute('aria-label', '平均 ' + short(r.average) + '（合計 ' + r.sum + ' ÷ ' + r.n +
      '）。期待値 4.5、減点なしの範囲は 4.46 より大きく 4.54 より小さい平均。減点 ' + r.averageDeduction + ' 点。');
    fillTable($('table-average'), [['平均', short(r.average), '4.5', r.averageDeduction]]);

    showChart('chart-steps', function (svg) {
      barChart(svg, r.steps, r.expectedSteps, r.stepDeductions, '隣どうしの差');
    });
    $('chart-steps').setAttribute('aria-label', '隣どうしの差ごとの回数。' + r.steps.map(function (e, k) {
      return '差 ' + k + ' が ' + e + ' 回（期待値 ' + short(r.expectedSteps[k]) + '）で減点 ' + r.stepDeductions[k];
    }).join('、') + '。減点の合計 ' + sumD + ' 点。');
    fillTable($('table-steps'), r.steps.map(function (e, k) {
      return [k, e, short(r.expectedSteps[k]), r.stepDeductions[k]];
    }).concat([['計', r.n - 1, short(total(r.expectedSteps)), sumD]]));
  }

  // Each index: its name, what it measures, and what a person did when it
  // lies above or below a fair die's range.
  const INDEX_INFO = [
    ['redundancy', '冗長度', '数字の使い方のかたより', '使う数字がかたよっています', 'どの数字もサイコロより均等に使いすぎています'],
    ['rng', 'RNG（Evans 1978）', '前の数字から次の数字の決まりやすさ', '同じ数字の組み合わせを繰り返しすぎています', 'いろいろな組み合わせを均等に使いすぎています'],
    ['rng2', 'RNG2', '一つおいた数字どうしの決まりやすさ', '一つおきの数字に決まった組み合わせがあります', '一つおきの組み合わせを均等に使いすぎています'],
    ['nsq', 'NSQ', '一度も出なかった隣どうしの組の割合（%）', '使わない数字の組み合わせが多すぎます', 'いろいろな組み合わせを使いすぎています'],
    ['repetitions', '繰り返し', '隣が同じ数字の回数', '同じ数字を続けすぎています', '同じ数字の続けての繰り返しが少なすぎます'],
    ['adjacency_up', '上りの隣接', '1 大きい数字が続いた割合（%）', '1 つ上の数字（3→4 など）を続けすぎています', '1 つ上の数字（3→4 など）を続けることが少なすぎます'],
    ['adjacency_down', '下りの隣接', '1 小さい数字が続いた割合（%）', '1 つ下の数字（4→3 など）を続けすぎています', '1 つ下の数字（4→3 など）を続けることが少なすぎます'],
    ['adjacency', '隣接', '1 違いの数字が続いた割合（%）', '隣り合う数字が多すぎます', '隣り合う数字が少なすぎます'],
    ['tpi', 'TPI', '上がり下がりの向きが変わった回数（サイコロなら 100）', '上がり下がりの向きを変えすぎています', '同じ向きに上がり続け、下がり続けすぎています'],
    ['runs_up', '上り坂の長さのばらつき', '続けて上がった長さの分散', '長い上り坂が多すぎます', '上り坂の長さがそろいすぎています'],
    ['runs_down', '下り坂の長さのばらつき', '続けて下がった長さの分散', '長い下り坂が多すぎます', '下り坂の長さがそろいすぎています'],
    ['coupon', 'クーポン', '全部の数字が出そろうまでの平均の長さ', 'なかなか出てこない数字があります', '全部の数字を順に出しそろえすぎています'],
    ['gap_median', '間隔（中央値）', '同じ数字がまた出るまでの間隔', '同じ数字をまた使うまで間をあけすぎています', '同じ数字をすぐにまた使いすぎています'],
    ['gap_mean', '間隔（平均）', '同じ数字がまた出るまでの間隔', '同じ数字をまた使うまで間をあけすぎています', '同じ数字をすぐにまた使いすぎています'],
    ['gap_mode', '間隔（最頻値）', 'いちばん多い間隔', '同じ数字をまた使うまで間をあけすぎています', '同じ数字をすぐにまた使いすぎています'],
    ['chi2', 'カイ二乗', '数字ごとの回数のかたより', '数字ごとの回数がかたよっています', '数字ごとの回数がそろいすぎています'],
    ['predictor_hits', '機械の当たり', '機械が当てた数字の数', '機械に読まれる決まった並びがあります', '機械の予想をわざと外しているようです'],
  ];

  function percent(p) {
    const v = p * 100;
    return v >= 10 ? String(Math.round(v)) : v >= 0.01 ? String(Number(v.toPrecision(2))) : '0.01 未満';
  }

  function showIndices(digits) {
    const die = typeof ZORBEL_FAIR_DIE !== 'undefined' ? ZORBEL_FAIR_DIE : null; // eslint-disable-line no-undef
    const n = digits.length;
    const heading = $('indices-heading');
    const parts = ['predictor-heading', 'predictor-row', 'predictor-text', 'fair-pass', 'indices-heading',
                   'indices-table', 'indices-notes'];
    for (const id of parts)
      $(id).hidden = n < 2;
    heading.parentNode.querySelector('#indices-method').textContent = die
      ? 'サイコロの範囲は、同じ長さ ' + n + ' 個の公平なサイコロの列 ' + die.samples + ' 本のモンテカルロ法で求めました。'
      : '';
    $('fair-pass').textContent = die && die.pass[n] !== null
      ? '公平なサイコロならこのレベルに合格する確率は ' + (die.pass[n] > 0 && die.pass[n] < 0.005 ? '1 未満' : Math.round(die.pass[n] * 100)) + ' %'
      : '';
    if (n < 2)
      return;
    const r = computeIndices(digits, 10);

    const row = $('predictor-row');
    row.textContent = '';
    digits.forEach(function (d, i) {
      const cell = document.createElement(r.hitAt[i] ? 'mark' : 'span');
      cell.textContent = String(d);
      row.appendChild(cell);
    });
    const hitList = [];
    r.hitAt.forEach(function (hit, i) {
      if (hit)
        hitList.push((i + 1) + ' 番目');
    });
    row.setAttribute('aria-label', '機械が当てた数字: ' + (hitList.length ? hitList.join('、') : 'なし'));
    $('predictor-text').textContent = '機械はあなたの数字を ' + r.predictor_hits + ' 個当てました（でたらめなら約 ' +
      String(Number(((n - 1) / 10).toFixed(1))) + ' 個）。でたらめに当ててこれだけ当たる確率は ' + percent(r.predictor_p) + ' %。';

    const rows = [], notes = [];
    for (const [key, name, what, high, low] of INDEX_INFO) {
      const value = r[key];
      const range = die && die.ranges[key] ? die.ranges[key][n] : null;
      let mark = '—';
      if (value !== null && range) {
        mark = value > range[1] ? '高すぎ' : value < range[0] ? '低すぎ' : '範囲内';
        const sentence = value > range[1] ? high : value < range[0] ? low : '';
        if (sentence && !notes.includes(sentence))
          notes.push(sentence);
      }
      rows.push({ cells: [name, value === null ? '—' : short(value), range ? short(range[0]) + '～' + short(range[1]) : '—', mark],
                  title: key + ': ' + what, out: mark === '高すぎ' || mark === '低すぎ' });
    }
    fillTable($('table-indices'), rows.map(function (x) { return x.cells; }));
    $('table-indices').querySelectorAll('tr').forEach(function (tr, i) {
      tr.firstChild.title = rows[i].title;
      if (rows[i].out)
        tr.className = 'out';
    });
    const list = $('indices-notes');
    list.textContent = '';
    for (const sentence of notes) {
      const li = document.createElement('li');
      li.textContent = sentence + '。サイコロではめったにないことです。';
      list.appendChild(li);
    }
  }

  function analyse() {
    const field = $('analyser-input');
    const parsed = parseBoard(field.value);
    const error = $('analyser-error');
    const bad = parsed.error !== '' && field.value.trim() !== '';
    error.textContent = parsed.error;
    error.className = bad ? 'error' : 'hint';
    field.setAttribute('aria-invalid', bad ? 'true' : 'false');
    $('analyser-result').hidden = parsed.error !== '';
    if (parsed.error === '') {
      show(scoreBoard(parsed.digits));
      showIndices(parsed.digits);
    }
  }

  // index.htm#board=3141592653... : the game opens the page on a scored board.
  function fromFragment() {
    const hash = location.hash;
    if (!hash.startsWith('#board='))
      return false;
    let board = hash.slice('#board='.length);
    try {
      board = decodeURIComponent(board);
    } catch (e) {
      // A stray % stays as it is and is shown as an error.
    }
    $('analyser-input').value = board;
    analyse();
    $('analyser').scrollIntoView();
    return true;
  }

  function start() {
    const field = $('analyser-input');
    field.addEventListener('input', analyse);
    window.addEventListener('hashchange', fromFragment);
    if (!fromFragment())
      analyse();
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', start);
  else
    start();
})();
