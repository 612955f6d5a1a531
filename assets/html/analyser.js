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

  if (typeof module !== 'undefined' && module.exports) {
    module.exports = { parseBoard, scoreBoard, MULTIPLIER };
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

  function analyse() {
    const field = $('analyser-input');
    const parsed = parseBoard(field.value);
    const error = $('analyser-error');
    const bad = parsed.error !== '' && field.value.trim() !== '';
    error.textContent = parsed.error;
    error.className = bad ? 'error' : 'hint';
    field.setAttribute('aria-invalid', bad ? 'true' : 'false');
    $('analyser-result').hidden = parsed.error !== '';
    if (parsed.error === '')
      show(scoreBoard(parsed.digits));
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
