// The parameter screen: opens the report's screen, builds the fields from the report's
// definition (choices as lists, companies and establishments from the database, dates with a
// calendar), sends the fields' events to the report, prints with progress, questions and stop,
// and offers the PDF the moment it is written. The last values printed are remembered by the
// browser, per report.
'use strict';
(function () {
  const meta = (name) => { const m = document.querySelector('meta[name="' + name + '"]'); return m ? m.content : null; };
  const report = meta('relatorio');
  const pageToken = meta('token');
  if (!report) return;
  const $ = (name) => document.getElementById(name);
  const HINTS = {
    data: 'dd/mm/aaaa',
    intervalo: 'Códigos, listas com ";" e faixas com "..": 1 · 1;3 · 5..9',
    inteiro: 'Número inteiro',
    numero: 'Número, com vírgula decimal'
  };
  const RUNNING = ['fila', 'imprimindo', 'pergunta'];
  const MEMORY = 'stockreports.valores.' + report;

  let token = '';
  let base = '';
  let view = null;
  let printing = false;
  let gone = false;
  let previews = 0;
  let pages = 0;
  let page = 1;
  let question = 0;
  const pickers = new Map();  // a date field's calendar

  // Requests go one after another, in the order they were made: a field's change reaches the
  // report before the print that follows it.
  let chain = Promise.resolve();
  function request(method, path, body) {
    const run = () => fetch(base + path, {
      method: method,
      headers: { 'X-Token': token, 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
      cache: 'no-store'
    }).then(async (r) => {
      let data = {};
      try { data = await r.json(); } catch (e) { /* no body */ }
      if (!r.ok) {
        const error = new Error(data.erro || ('Erro ' + r.status + ' do servidor.'));
        error.status = r.status;
        throw error;
      }
      if (data.textoInvalido) $('aviso-texto').textContent = data.textoInvalido;
      return data;
    });
    const p = chain.then(run, run);
    chain = p.catch(() => {});
    return p;
  }

  function notice(text) { $('aviso-campos').textContent = text || ''; }

  function failed(error) {
    if (error.status === 404 && base) {
      // The screen was closed (the server restarted, or the page slept): open it again.
      if (!printing) { location.reload(); return; }
      gone = true;
      notice(error.message + ' Recarregue a página.');
    } else {
      notice(error.message);
    }
    updateButton();
  }

  function element(tag, cls, text) {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function remembered() {
    try { return JSON.parse(localStorage.getItem(MEMORY) || '{}'); } catch (e) { return {}; }
  }
  function remember() {
    if (!view) return;
    const values = {};
    for (const f of view.campos) values[f.nome] = $('campo-' + f.nome).value;
    try { localStorage.setItem(MEMORY, JSON.stringify(values)); } catch (e) { /* private mode */ }
  }

  // "31/12/2026" <-> "2026-12-31"
  function isoOf(text) {
    const m = /^\s*(\d{1,2})\/(\d{1,2})\/(\d{4})\s*$/.exec(text);
    return m ? m[3] + '-' + m[2].padStart(2, '0') + '-' + m[1].padStart(2, '0') : '';
  }
  function brOf(iso) {
    const m = /^(\d{4})-(\d{2})-(\d{2})$/.exec(iso);
    return m ? m[3] + '/' + m[2] + '/' + m[1] : '';
  }

  function selectFor(f) {
    const input = element('select');
    const values = f.opcoes.map((o) => o.valor);
    if (!values.includes(f.valor)) input.append(new Option(f.valor === '' ? '(vazio)' : f.valor, f.valor));
    for (const o of f.opcoes) input.append(new Option(o.texto, o.valor));
    return input;
  }

  function textFor(f, row) {
    const input = element('input');
    input.type = 'text';
    input.maxLength = 1000;
    input.autocomplete = 'off';
    if (f.tipo === 'inteiro' || f.tipo === 'intervalo' || f.tipo === 'data') input.inputMode = 'numeric';
    if (f.tipo === 'data') {
      input.placeholder = 'dd/mm/aaaa';
      // The calendar writes into the field; typing stays possible.
      const picker = element('input', 'calendario');
      picker.type = 'date';
      picker.tabIndex = -1;
      picker.setAttribute('aria-hidden', 'true');
      picker.addEventListener('change', () => {
        if (!picker.value) return;
        input.value = brOf(picker.value);
        send('alterar', f.nome, input.value);
        send('sair', f.nome);
      });
      pickers.set(input, picker);
    }
    if (f.consulta) {
      // Codes chosen by name from the database; lists and ranges still typed.
      const list = element('datalist');
      list.id = 'lista-' + f.nome;
      input.setAttribute('list', list.id);
      row.append(list);
      request('GET', '/opcoes/' + f.nome).then((data) => {
        for (const o of data.opcoes) list.append(new Option(o.valor + ' - ' + o.texto, o.valor));
      }, () => {});
    }
    return input;
  }

  function build(v) {
    const box = $('campos');
    box.textContent = '';
    $('legenda').hidden = !v.campos.some((f) => f.obrigatorio);
    for (const f of v.campos) {
      const row = element('div', 'campo');
      const label = element('label', '', f.rotulo || f.nome);
      label.htmlFor = 'campo-' + f.nome;
      if (f.obrigatorio) {
        row.classList.add('obrigatorio');
        label.append(element('span', 'marca', ' *'));
      }
      const input = f.opcoes.length > 0 ? selectFor(f) : textFor(f, row);
      input.id = 'campo-' + f.nome;
      input.name = f.nome;
      input.value = f.valor;
      input.required = f.obrigatorio;
      const error = element('div', 'erro');
      error.id = 'erro-' + f.nome;
      error.setAttribute('role', 'alert');
      input.setAttribute('aria-describedby', error.id);
      input.addEventListener('focus', () => send('entrar', f.nome));
      input.addEventListener('change', () => send('alterar', f.nome, input.value));
      input.addEventListener('blur', () => send('sair', f.nome));
      input.addEventListener('input', updateButton);
      const holder = element('div', 'entrada');
      holder.append(input);
      if (pickers.has(input)) holder.append(pickers.get(input), calendarButton(f, input));
      let hint = f.obrigatorio ? 'Obrigatório' : '';
      if (f.opcoes.length === 0) hint = [hint, HINTS[f.tipo] || ''].filter((t) => t).join(' · ');
      if (f.consulta) {
        // Lists and ranges only where the label does not say what they mean.
        const lists = f.tipo === 'intervalo' && !/um código/i.test(f.rotulo) ? 'código, lista (1;3) ou faixa (5..9)' : 'código';
        hint = [f.obrigatorio ? 'Obrigatório' : '', 'Digite o ' + lists + ', ou parte do nome para procurar'].filter((t) => t).join(' · ');
      }
      row.append(label, holder, element('span', 'dica', hint), error);
      box.append(row);
    }
  }

  function calendarButton(f, input) {
    const button = element('button', 'abrir-calendario', '▦');
    button.type = 'button';
    button.id = 'calendario-' + f.nome;
    button.title = 'Escolher no calendário';
    button.setAttribute('aria-label', 'Escolher no calendário');
    const picker = pickers.get(input);
    button.addEventListener('click', () => {
      picker.value = isoOf(input.value);
      try { picker.showPicker(); } catch (e) { picker.focus(); }
    });
    return button;
  }

  function apply(v) {
    view = v;
    for (const f of v.campos) {
      const input = $('campo-' + f.nome);
      if (!input) continue;
      if (document.activeElement !== input && input.value !== f.valor) input.value = f.valor;
      const text = v.erros[f.nome] || '';
      $('erro-' + f.nome).textContent = text;
      input.setAttribute('aria-invalid', text ? 'true' : 'false');
    }
    updateButton();
  }

  function hasErrors() { return view !== null && Object.keys(view.erros).length > 0; }

  function missing() {
    if (view === null) return [];
    return view.campos.filter((f) => f.obrigatorio && !$('campo-' + f.nome).value.trim());
  }

  function updateButton() {
    const empty = missing();
    $('imprimir').disabled = gone || printing || view === null || hasErrors() || empty.length > 0;
    const current = $('aviso-campos').textContent;
    const ours = current.startsWith('Corrija') || current.startsWith('Preencha');
    if (hasErrors()) notice('Corrija os campos marcados para imprimir.');
    else if (empty.length > 0) notice('Preencha ' + empty.map((f) => '"' + f.rotulo.replace(/\s*\(.*$/, '') + '"').join(', ') + ' para imprimir.');
    else if (!gone && ours) notice('');
  }

  function send(kind, field, value) {
    if (gone) return Promise.resolve();
    return request('POST', '/evento', { tipo: kind, campo: field, valor: value === undefined ? '' : value })
      .then(apply, failed);
  }

  function print() {
    if (printing || gone) return;
    // Enter in a field: its value is checked as leaving it would, before the print.
    const active = document.activeElement;
    if (active && active.name && view && view.campos.some((f) => f.nome === active.name)) {
      send('alterar', active.name, active.value);
      send('sair', active.name);
    }
    request('GET', '').then((v) => {
      apply(v);
      if ($('imprimir').disabled) { showFirstError(); return; }
      printing = true;
      updateButton();
      remember();
      return request('POST', '/imprimir').then((status) => {
        notice('');
        render(status);
      });
    }).catch((error) => {
      printing = false;
      // The report refused a value: show it by its field.
      request('GET', '').then(apply, () => {}).then(() => { failed(error); showFirstError(); });
    });
  }

  function showFirstError() {
    const first = view && view.campos.find((f) => view.erros[f.nome] || (f.obrigatorio && !$('campo-' + f.nome).value.trim()));
    if (first) $('campo-' + first.nome).scrollIntoView({ block: 'center' });
  }

  function poll(waiting) {
    // A running print is asked with ?espera=1: the reply comes as soon as it ends.
    const path = waiting ? '/impressao' : '/impressao?espera=1';
    const go = () => request('GET', path).then(render, (error) => {
      printing = false;
      failed(error);
    });
    if (waiting) setTimeout(go, 300); else go();
  }

  function plural(n, one, many) { return n + ' ' + (n === 1 ? one : many); }

  function render(s) {
    const section = $('impressao');
    if (s.estado === 'nenhuma') { section.hidden = true; return; }
    section.hidden = false;
    const running = RUNNING.includes(s.estado);
    $('parar').hidden = !running;
    $('progresso').hidden = !running;
    $('resultado').hidden = s.estado !== 'concluido';
    $('erro-impressao').hidden = s.estado !== 'erro';
    $('erro-impressao').textContent = s.estado === 'erro' ? s.erro : '';
    const bar = $('progresso');
    let status = '';
    if (s.estado === 'fila') {
      if (s.esperaResposta) status = 'Aguardando: a impressão à frente espera uma resposta em outra tela.';
      else if (s.aFrente > 0) status = 'Aguardando na fila: ' + plural(s.aFrente, 'impressão', 'impressões') + ' à frente.';
      else status = 'Começando a impressão...';
      bar.removeAttribute('value');
    } else if (running) {
      status = s.estado === 'pergunta' ? 'O relatório espera a sua resposta.' : 'Imprimindo...';
      bar.max = Math.max(s.total, 1);
      bar.value = Math.min(s.feitos, bar.max);
    } else if (s.estado === 'concluido') {
      status = 'Impresso: ' + plural(s.paginas, 'página', 'páginas') + '.';
    } else if (s.estado === 'parado') {
      status = s.abandonada || 'Impressão interrompida: nada foi publicado.';
    } else if (s.estado === 'vazio') {
      status = 'Nada foi impresso; nenhum arquivo foi gerado.';
    } else if (s.estado === 'erro') {
      status = 'A impressão terminou com erro.';
    }
    $('situacao').textContent = status;
    $('contagem').textContent = running && s.estado !== 'fila'
      ? plural(s.paginas, 'página', 'páginas') + (s.total > 0 ? ' · ' + s.feitos + ' de ' + s.total + ' registros' : '')
      : '';
    const list = $('mensagens');
    list.textContent = '';
    for (const m of s.mensagens) {
      list.append(element('li', m.tipo === 1 ? 'aviso' : '', (m.tipo === 1 ? 'Aviso: ' : '') + m.texto));
    }
    ask(s.pergunta);
    if (running) {
      printing = true;
      poll(s.estado !== 'imprimindo');
    } else {
      const was = printing;
      printing = false;
      if (s.estado === 'concluido') offer(s);
      if (s.estado === 'erro') request('GET', '').then(apply, failed);
      if (was) section.scrollIntoView({ block: 'start', behavior: 'smooth' });
    }
    updateButton();
  }

  // The PDF at once; previews only when asked for.
  function offer(s) {
    pages = s.paginas;
    previews = s.previas;
    page = 1;
    const pdf = base + '/pdf?t=' + encodeURIComponent(token);
    $('abrir').href = pdf + '&abrir=1';
    $('baixar').href = pdf;
    $('baixar').download = s.arquivo || '';
    $('arquivo').textContent = s.arquivo || '';
    $('ver-previa').hidden = previews === 0;
    $('previas').hidden = true;
    $('previa').removeAttribute('src');
  }

  function ask(q) {
    const dialog = $('pergunta');
    if (!q) {
      if (dialog.open) dialog.close();
      return;
    }
    if (q.id === question && dialog.open) return;
    question = q.id;
    $('pergunta-texto').textContent = q.texto;
    const buttons = $('pergunta-botoes');
    buttons.textContent = '';
    q.botoes.forEach((caption, index) => {
      const b = element('button', '', caption.replace(/&/g, ''));
      b.type = 'button';
      b.addEventListener('click', () => {
        dialog.close();
        request('POST', '/responder', { pergunta: q.id, botao: index }).then(render, failed);
      });
      buttons.append(b);
    });
    if (!dialog.open) dialog.showModal();
  }

  function showPage() {
    $('previas').hidden = false;
    $('ver-previa').hidden = true;
    $('previa').src = base + '/pagina/' + page + '?t=' + encodeURIComponent(token);
    let text = 'Página ' + page + ' de ' + previews;
    if (pages > previews) text += ' (prévia das primeiras ' + previews + ' de ' + pages + ' páginas)';
    $('pagina-atual').textContent = text;
    $('anterior').disabled = page <= 1;
    $('proxima').disabled = page >= previews;
  }

  $('ver-previa').addEventListener('click', showPage);
  $('anterior').addEventListener('click', () => { if (page > 1) { page--; showPage(); } });
  $('proxima').addEventListener('click', () => { if (page < previews) { page++; showPage(); } });
  $('parar').addEventListener('click', () => request('POST', '/parar').then(render, failed));
  $('parametros').addEventListener('submit', (e) => { e.preventDefault(); print(); });
  $('pergunta').addEventListener('cancel', (e) => e.preventDefault());  // the report needs an answer

  // The screen and its files go when the page does.
  window.addEventListener('pagehide', () => {
    if (!gone && base) navigator.sendBeacon(base + '/fechar', token);
    gone = true;
  });
  window.addEventListener('pageshow', (e) => { if (e.persisted) location.reload(); });
  // An open page keeps its screen: one left without a call for a minute is closed.
  setInterval(() => { if (!gone && base) request('POST', '/presenca').catch(failed); }, 15 * 1000);

  // The values last printed from this report, given back to the report as a clerk would type them.
  function restore(v) {
    const values = remembered();
    let last = Promise.resolve();
    for (const f of v.campos) {
      const value = values[f.nome];
      if (typeof value !== 'string' || value === f.valor) continue;
      const input = $('campo-' + f.nome);
      if (input.tagName === 'SELECT' && ![...input.options].some((o) => o.value === value)) continue;
      input.value = value;
      last = send('alterar', f.nome, value);
    }
    return last;
  }

  // The screen is opened by the page, with the page's token.
  fetch('/api/tela', {
    method: 'POST',
    headers: { 'X-Token': pageToken, 'Content-Type': 'application/json' },
    body: JSON.stringify({ relatorio: report }),
    cache: 'no-store'
  }).then(async (r) => {
    const data = await r.json().catch(() => ({}));
    if (!r.ok) throw new Error(data.erro || ('Erro ' + r.status + ' do servidor.'));
    token = data.token;
    base = '/api/tela/' + data.tela;
    return request('GET', '');
  }).then((v) => {
    build(v);
    apply(v);
    return restore(v);
  }).then(() => { document.body.dataset.pronta = '1'; }, (e) => { gone = true; failed(e); });
})();
