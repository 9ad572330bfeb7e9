// The parameter screen: builds the fields from the report's definition, sends the fields'
// events to the report, prints with progress, questions and stop, and shows the result.
'use strict';
(function () {
  const meta = (name) => { const m = document.querySelector('meta[name="' + name + '"]'); return m ? m.content : null; };
  const report = meta('relatorio');
  const pageToken = meta('token');
  if (!report) return;
  let token = '';
  let base = '';
  const $ = (name) => document.getElementById(name);
  const HINTS = {
    data: 'dd/mm/aaaa',
    intervalo: 'Códigos, listas com ";" e faixas com "..": 1 · 1;3 · 5..9 (vazio = todos)',
    inteiro: 'Número inteiro',
    numero: 'Número, com vírgula decimal',
    indicador: '',
    texto: ''
  };
  const RUNNING = ['fila', 'imprimindo', 'pergunta'];

  let view = null;
  let printing = false;
  let gone = false;
  let pollTimer = null;
  let previews = 0;
  let pages = 0;
  let page = 1;
  let question = 0;

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
      return data;
    });
    const p = chain.then(run, run);
    chain = p.catch(() => {});
    return p;
  }

  function notice(text) { $('aviso-campos').textContent = text || ''; }

  function failed(error) {
    if (error.status === 404) {
      gone = true;
      notice(error.message + ' Recarregue a página.');
    } else {
      notice(error.message);
    }
    updateButton();
  }

  function element(tag, cls) { const e = document.createElement(tag); if (cls) e.className = cls; return e; }

  function build(v) {
    const box = $('campos');
    box.textContent = '';
    for (const f of v.campos) {
      const row = element('div', 'campo');
      const label = element('label');
      label.htmlFor = 'campo-' + f.nome;
      label.textContent = f.rotulo || f.nome;
      let input;
      if (f.tipo === 'indicador') {
        input = element('select');
        const options = [['0', '0 - Não'], ['1', '1 - Sim']];
        if (f.valor !== '0' && f.valor !== '1') options.unshift([f.valor, f.valor || '(vazio)']);
        for (const [value, text] of options) {
          const o = element('option');
          o.value = value;
          o.textContent = text;
          input.append(o);
        }
      } else {
        input = element('input');
        input.type = 'text';
        input.maxLength = 1000;
        input.autocomplete = 'off';
        if (f.tipo === 'data') { input.placeholder = 'dd/mm/aaaa'; input.inputMode = 'numeric'; }
        if (f.tipo === 'inteiro' || f.tipo === 'intervalo') input.inputMode = 'numeric';
      }
      input.id = 'campo-' + f.nome;
      input.name = f.nome;
      input.value = f.valor;
      const error = element('div', 'erro');
      error.id = 'erro-' + f.nome;
      error.setAttribute('role', 'alert');
      input.setAttribute('aria-describedby', error.id);
      input.addEventListener('focus', () => send('entrar', f.nome));
      input.addEventListener('change', () => send('alterar', f.nome, input.value));
      input.addEventListener('blur', () => send('sair', f.nome));
      const hint = element('span', 'dica');
      hint.textContent = HINTS[f.tipo] || '';
      row.append(label, input, hint, error);
      box.append(row);
    }
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

  function updateButton() {
    $('imprimir').disabled = gone || printing || view === null || hasErrors();
    if (hasErrors()) notice('Corrija os campos marcados para imprimir.');
    else if (!gone && $('aviso-campos').textContent.startsWith('Corrija')) notice('');
  }

  function send(kind, field, value) {
    if (gone) return;
    request('POST', '/evento', { tipo: kind, campo: field, valor: value === undefined ? '' : value })
      .then(apply, failed);
  }

  function print() {
    if (printing || gone) return;
    printing = true;
    updateButton();
    request('POST', '/imprimir').then((status) => {
      notice('');
      render(status);
    }, (error) => {
      printing = false;
      failed(error);
    });
  }

  function poll() {
    clearTimeout(pollTimer);
    pollTimer = setTimeout(() => request('GET', '/impressao').then(render, (error) => {
      printing = false;
      failed(error);
    }), 250);
  }

  function plural(n, one, many) { return n + ' ' + (n === 1 ? one : many); }

  function render(s) {
    const section = $('impressao');
    if (s.estado === 'nenhuma') { section.hidden = true; return; }
    section.hidden = false;
    const running = RUNNING.includes(s.estado);
    $('parar').hidden = !running;
    $('progresso').hidden = !running && s.estado !== 'concluido';
    $('resultado').hidden = s.estado !== 'concluido';
    $('erro-impressao').hidden = s.estado !== 'erro';
    $('erro-impressao').textContent = s.estado === 'erro' ? s.erro : '';
    const bar = $('progresso');
    let status = '';
    if (s.estado === 'fila') {
      status = 'Aguardando na fila: ' + plural(s.aFrente, 'impressão', 'impressões') +
        ' à frente. Esta impressão começa assim que a anterior terminar.';
      bar.removeAttribute('value');
    } else if (running) {
      status = s.estado === 'pergunta' ? 'O relatório espera a sua resposta.' : 'Imprimindo...';
      bar.max = Math.max(s.total, 1);
      bar.value = Math.min(s.feitos, bar.max);
    } else if (s.estado === 'concluido') {
      status = 'Impresso: ' + plural(s.paginas, 'página', 'páginas') + '.';
      bar.max = 1;
      bar.value = 1;
    } else if (s.estado === 'parado') {
      status = 'Impressão interrompida: nada foi publicado.';
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
      const li = element('li', m.tipo === 1 ? 'aviso' : '');
      li.textContent = (m.tipo === 1 ? 'Aviso: ' : '') + m.texto;
      list.append(li);
    }
    ask(s.pergunta);
    if (running) {
      printing = true;
      poll();
    } else {
      printing = false;
      if (s.estado === 'concluido') {
        pages = s.paginas;
        previews = s.previas;
        page = 1;
        $('baixar').href = base + '/pdf?t=' + encodeURIComponent(token);
        showPage();
      }
      if (s.estado === 'erro') request('GET', '').then(apply, failed);
    }
    updateButton();
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
      const b = element('button');
      b.type = 'button';
      b.textContent = caption.replace(/&/g, '');
      b.addEventListener('click', () => {
        dialog.close();
        request('POST', '/responder', { pergunta: q.id, botao: index }).then(render, failed);
      });
      buttons.append(b);
    });
    if (!dialog.open) dialog.showModal();
  }

  function showPage() {
    $('previa').src = base + '/pagina/' + page + '?t=' + encodeURIComponent(token);
    let text = 'Página ' + page + ' de ' + previews;
    if (pages > previews) text += ' (prévia das primeiras ' + previews + ' de ' + pages + ' páginas)';
    $('pagina-atual').textContent = text;
    $('anterior').disabled = page <= 1;
    $('proxima').disabled = page >= previews;
  }

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

  // The screen is opened by the page, with the page's token.
  fetch('/api/tela', {
    method: 'POST',
    headers: { 'X-Token': pageToken, 'Content-Type': 'application/json' },
    body: JSON.stringify({ relatorio: report }),
    cache: 'no-store'
  }).then(async (r) => {
    const data = await r.json().catch(() => ({}));
    if (!r.ok) { const e = new Error(data.erro || ('Erro ' + r.status + ' do servidor.')); throw e; }
    token = data.token;
    base = '/api/tela/' + data.tela;
    return request('GET', '');
  }).then((v) => { build(v); apply(v); }, (e) => { gone = true; failed(e); });
})();
