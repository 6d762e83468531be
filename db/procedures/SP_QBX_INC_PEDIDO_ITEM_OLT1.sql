-- Adds an item to an order and answers its new key.
-- Without a user id, or without a PEDIDO_ITEM_ID counter in Infra_Chave,
-- nothing is written and the answer is RETORNO 1.
-- Otherwise the counter goes up by 1 and its new value is the key. When no
-- item holds that key yet, the item is written with the shipping date, part,
-- order and quantity given and status 509 (new); the insertion is recorded in
-- Infra_Operacao (entity 260, operation 1, the user id, the key) and the
-- answer is RETORNO 0 with the key in PEDIDO_ITEM_ID. When the key is already
-- taken the counter keeps its new value, nothing else is written and the
-- answer is RETORNO 1, so the next call draws the key after it.
-- The fifth argument is not used.
CREATE PROCEDURE SP_QBX_INC_PEDIDO_ITEM_OLT1 (@DATA_EMBARQUE DATE, @PECA_ID INTEGER, @PEDIDO_ID INTEGER,
                                             @QTDE_PEDIDA INTEGER, @EMPRESA_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1
 WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID' AND @USUARIO_ID IS NOT NULL;
INSERT INTO PEDIDO_ITEM (PEDIDO_ITEM_ID, DATA_EMBARQUE, PECA_ID, PEDIDO_ID, QTDE_PEDIDA, TAB_STATUS_ID)
SELECT ULTIMO_VALOR, @DATA_EMBARQUE, @PECA_ID, @PEDIDO_ID, @QTDE_PEDIDA, 509
  FROM Infra_Chave
 WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID' AND changes() = 1
   AND NOT EXISTS (SELECT 1 FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID = Infra_Chave.ULTIMO_VALOR);
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
SELECT 260, 1, @USUARIO_ID, ULTIMO_VALOR, julianday('now', 'localtime')
  FROM Infra_Chave
 WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID' AND changes() = 1;
SELECT CASE WHEN written = 1 THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN written = 1 THEN '' ELSE 'Não foi possível gerar a chave PEDIDO_ITEM_ID.' END AS MSG_RET,
       CASE WHEN written = 1 THEN (SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID')
            ELSE 0 END AS PEDIDO_ITEM_ID
  FROM (SELECT changes() AS written);
